#include "ui/drawing_painter.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QPainterPath>
#include <QSvgGenerator>

#include <cmath>

namespace zmbr::ui {

namespace {

constexpr double kUnitsPerInch = 96;

QColor colourOf(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

QString textOf(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The device the widths are measured on: 96 dots to the inch, like the SVG, the PNG (before
// its doubling) and the report's pages.
const QPaintDevice* measuringDevice() {
    static const QImage image = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        i.setDotsPerMeterX(static_cast<int>(std::lround(kUnitsPerInch / 0.0254)));
        i.setDotsPerMeterY(static_cast<int>(std::lround(kUnitsPerInch / 0.0254)));
        return i;
    }();
    return &image;
}

QPen penOf(const Stroke& s) {
    QPen pen(colourOf(s.colour), s.width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (!s.dashes.empty()) {
        // Qt counts dashes in pen widths, and in pairs.
        QList<qreal> pattern;
        for (double v : s.dashes)
            pattern << v / s.width;
        if (pattern.size() % 2)
            pattern << pattern;
        pen.setDashPattern(pattern);
    }
    return pen;
}

// A closed shape of four points with sides along the axes, painted as a rectangle: a cell
// of a map, a bar's band, a frame.
bool isUprightBox(const Shape& s, QRectF& box) {
    if (!s.closed || s.points.size() != 4)
        return false;
    const auto& p = s.points;
    const bool across =
        p[0].y == p[1].y && p[1].x == p[2].x && p[2].y == p[3].y && p[3].x == p[0].x;
    const bool down = p[0].x == p[1].x && p[1].y == p[2].y && p[2].x == p[3].x && p[3].y == p[0].y;
    if (!across && !down)
        return false;
    box = QRectF(QPointF(p[0].x, p[0].y), QPointF(p[2].x, p[2].y)).normalized();
    return true;
}

void paintShape(QPainter& p, const Shape& s) {
    if (s.points.empty() || (!s.stroke && !s.fill))
        return;
    p.save();
    if (s.clip)
        p.setClipRect(QRectF(s.clip->left, s.clip->top, s.clip->width, s.clip->height),
                      p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    p.setPen(s.stroke ? penOf(*s.stroke) : QPen(Qt::NoPen));
    p.setBrush(s.closed && s.fill ? QBrush(colourOf(*s.fill)) : QBrush(Qt::NoBrush));
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(s.points.size()));
    for (const Point& pt : s.points)
        points << QPointF(pt.x, pt.y);
    QRectF box;
    if (isUprightBox(s, box)) {
        // Filled boxes side by side (a map's cells, a colour bar's bands) show no seams
        // where their edges fall on whole pixels.
        if (!s.stroke)
            p.setRenderHint(QPainter::Antialiasing, false);
        p.drawRect(box);
    } else if (s.closed) {
        QPainterPath path;
        path.addPolygon(points);
        path.closeSubpath();
        p.drawPath(path);
    } else if (points.size() == 2) {
        p.drawLine(points[0], points[1]);
    } else {
        p.drawPolyline(points);
    }
    p.restore();
}

void paintLabel(QPainter& p, const Label& l) {
    if (l.text.empty())
        return;
    const QFont font = drawingFont(l.face, l.size);
    const QString text = textOf(l.text);
    const double width = QFontMetricsF(font, measuringDevice()).horizontalAdvance(text);
    p.save();
    p.setFont(font);
    p.setPen(colourOf(l.colour));
    p.translate(l.at.x, l.at.y);
    if (l.angle != 0)
        p.rotate(-l.angle); // counter-clockwise on a surface whose y runs down
    const double start = l.anchor == Anchor::Left     ? 0
                         : l.anchor == Anchor::Centre ? -width / 2
                                                      : -width;
    p.drawText(QPointF(start, 0), text);
    p.restore();
}

} // namespace

QFont drawingFont(Face face, double size) {
    QFont f;
    if (face == Face::Mono)
        f.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    else
        f.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                       QStringLiteral("DejaVu Sans")});
    f.setPointSizeF(size * 72 / kUnitsPerInch);
    f.setBold(face == Face::SansBold);
    return f;
}

TextWidth qtTextWidth() {
    return [](Face face, double size, std::string_view utf8) {
        return QFontMetricsF(drawingFont(face, size), measuringDevice())
            .horizontalAdvance(textOf(utf8));
    };
}

void paintDrawing(QPainter& p, const Drawing& d) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    for (const DrawingItem& item : d.items) {
        if (const Shape* s = std::get_if<Shape>(&item))
            paintShape(p, *s);
        else
            paintLabel(p, std::get<Label>(item));
    }
    p.restore();
}

QByteArray renderDrawing(const Drawing& d, const QString& title, bool svg) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QSize size(static_cast<int>(std::ceil(d.width)), static_cast<int>(std::ceil(d.height)));
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setResolution(static_cast<int>(kUnitsPerInch));
        generator.setTitle(title);
        QPainter p(&generator);
        paintDrawing(p, d);
    } else {
        QImage image(size * 2, QImage::Format_RGB32);
        image.setDevicePixelRatio(2);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            paintDrawing(p, d);
        }
        image.save(&buffer, "PNG");
    }
    return bytes;
}

} // namespace zmbr::ui
