#include "ui/graph_drawing.h"

#include <QLineF>
#include <QPainter>

namespace zmbr::ui {

QPen graphPen(const QColor& colour) {
    return QPen(colour, 1);
}

void drawGraphSegments(QPainter& p, const GraphFrame& f, const GraphPoints& points,
                       std::size_t from) {
    if (from == 0 && !points.empty())
        p.drawPoint(f.map(points.front().first, points.front().second));
    if (points.size() < from + 2)
        return;
    // Kept from one drawing to the next: a whole trace is thousands of lines.
    static thread_local std::vector<QLineF> lines;
    lines.clear();
    QPointF last = f.map(points[from].first, points[from].second);
    for (std::size_t k = from + 1; k < points.size(); ++k) {
        const QPointF next = f.map(points[k].first, points[k].second);
        lines.emplace_back(last, next);
        last = next;
    }
    p.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void drawGraphPolyline(QPainter& p, const GraphFrame& f, const GraphPoints& points) {
    if (points.empty())
        return;
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(points.size()));
    for (const auto& [x, y] : points)
        line << f.map(x, y);
    p.drawPoint(line.front());
    p.drawPolyline(line);
}

} // namespace zmbr::ui
