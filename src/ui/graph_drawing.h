#pragma once
// The drawing of a graph's curve, shared by the graph windows and the figures the command line
// writes: values mapped into an area of the surface, a first point and a line on through the
// others, in the graph windows' 1-pixel pen.

#include <QColor>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>

#include <cstddef>
#include <utility>
#include <vector>

class QPainter;

namespace zmbr::ui {

// An area of the surface and the values at its edges. The bottom edge may hold the larger
// value: the ε1-ε2 graph has ε2 = 0 at the bottom and compression growing upwards.
struct GraphFrame {
    QRectF area;
    double xLeft = 0, xRight = 1, yBottom = 0, yTop = 1;

    QPointF map(double x, double y) const {
        return QPointF(area.left() + (x - xLeft) / (xRight - xLeft) * area.width(),
                       area.top() + (yTop - y) / (yTop - yBottom) * area.height());
    }
};

using GraphPoints = std::vector<std::pair<double, double>>;

// The pen of every curve: the graph windows draw in black.
QPen graphPen(const QColor& colour = Qt::black);

// The first point (when `from` is 0) and a line from each point to the next, from point
// `from` on. The lines are drawn one by one, each as if alone, so drawing a curve in pieces
// gives the same pixels as drawing it at once.
void drawGraphSegments(QPainter& p, const GraphFrame& f, const GraphPoints& points,
                       std::size_t from = 0);

// The whole curve as one line: the same picture in a fraction of an SVG file.
void drawGraphPolyline(QPainter& p, const GraphFrame& f, const GraphPoints& points);

} // namespace zmbr::ui
