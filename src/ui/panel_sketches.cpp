#include "ui/panel_sketches.h"

#include "ui/twips.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace zmbr::ui {

namespace {

// The sketches are drawn on a 266 × 64 grid and scaled to the picture's size.
constexpr double kWidth = 266, kHeight = 64;

void arrowHead(QPainter& p, QPointF tip, double angleDegrees) {
    const double a = qDegreesToRadians(angleDegrees);
    const double len = 4, spread = qDegreesToRadians(25.0);
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip - QPointF(len * std::cos(a - spread), len * std::sin(a - spread)));
    head.lineTo(tip - QPointF(len * std::cos(a + spread), len * std::sin(a + spread)));
    head.closeSubpath();
    p.fillPath(head, p.pen().color());
}

void arrow(QPainter& p, QPointF from, QPointF to) {
    p.drawLine(from, to);
    const QPointF d = to - from;
    arrowHead(p, to, qRadiansToDegrees(std::atan2(d.y(), d.x())));
}

// Two families of bars; each spacing is marked at right angles to its bars.
void drawBarGrid(QPainter& p) {
    p.save();
    p.setClipRect(QRectF(4, 4, 78, 56));
    p.setPen(QPen(Qt::darkGray, 1.2));
    const QPointF centre(43, 32);
    auto family = [&](double degrees, double spacing) {
        const double a = qDegreesToRadians(degrees);
        const QPointF along(std::cos(a), -std::sin(a)), across(std::sin(a), std::cos(a));
        for (int k = -4; k <= 4; ++k) {
            const QPointF c = centre + across * (k * spacing);
            p.drawLine(c - along * 60, c + along * 60);
        }
        return std::pair{along, across};
    };
    const auto [alongI, acrossI] = family(30, 11);
    const auto [alongJ, acrossJ] = family(115, 14);
    p.restore();

    p.setPen(QPen(Qt::black, 0.8));
    const QPointF si = centre + alongI * 18;
    arrow(p, si, si + acrossI * 11);
    arrow(p, si + acrossI * 11, si);
    p.drawText(si + acrossI * 5 + QPointF(3, 3), QStringLiteral("si"));
    const QPointF sj = centre - alongJ * 16;
    arrow(p, sj, sj + acrossJ * 14);
    arrow(p, sj + acrossJ * 14, sj);
    p.drawText(sj + acrossJ * 7 + QPointF(-12, -3), QStringLiteral("sj"));
    p.setPen(QPen(Qt::black, 0.8));
    p.drawRect(QRectF(4, 4, 78, 56));
}

// A triangular element: τxy on its horizontal and vertical faces, a bar at θri, and the
// angle θ of the inclined face.
void drawElement(QPainter& p) {
    const QPointF a(98, 50), b(150, 50), c(98, 12); // right angle at a
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(235, 235, 235));
    p.drawPolygon(QPolygonF({a, b, c}));
    p.setBrush(Qt::NoBrush);

    // Shear on the bottom face (pointing left) and on the vertical face (pointing down).
    p.setPen(QPen(Qt::blue, 1));
    arrow(p, QPointF(140, 55), QPointF(108, 55));
    arrow(p, QPointF(93, 18), QPointF(93, 44));
    p.drawText(QPointF(143, 59), QStringLiteral("τxy"));
    p.drawText(QPointF(78, 34), QStringLiteral("τxy"));

    // A bar at θri from the x axis, through the element.
    p.setPen(QPen(Qt::red, 1.4));
    const QPointF barFrom(101, 47),
        barTo(barFrom + QPointF(30 * std::cos(qDegreesToRadians(40.0)),
                                -30 * std::sin(qDegreesToRadians(40.0))));
    p.drawLine(barFrom, barTo);
    p.setPen(QPen(Qt::black, 0.6, Qt::DashLine));
    p.drawLine(barFrom, barFrom + QPointF(22, 0));
    p.setPen(QPen(Qt::red, 0.8));
    p.drawArc(QRectF(barFrom.x() - 12, barFrom.y() - 12, 24, 24), 0, 40 * 16);
    p.drawText(barFrom + QPointF(13, -1), QStringLiteral("θri"));

    // θ of the inclined face, at its lower corner.
    p.setPen(QPen(Qt::black, 0.8));
    const double faceDegrees = qRadiansToDegrees(std::atan2(a.y() - c.y(), b.x() - a.x()));
    p.drawArc(QRectF(b.x() - 12, b.y() - 12, 24, 24), 180 * 16,
              static_cast<int>(-faceDegrees * 16));
    p.drawText(b + QPointF(-17, -3), QStringLiteral("θ"));

    p.drawText(QPointF(112, 10), QStringLiteral("0 ≦ θri ≦ 180"));
}

// Bond stress against slip: linear up to τby at sby, then level.
void drawBondLaw(QPainter& p) {
    const QPointF origin(196, 50);
    p.setPen(QPen(Qt::black, 0.8));
    arrow(p, origin, origin + QPointF(64, 0));
    arrow(p, origin, origin + QPointF(0, -48));
    p.drawText(origin + QPointF(-12, -40), QStringLiteral("τb"));
    p.drawText(origin + QPointF(58, 9), QStringLiteral("s"));
    p.drawText(origin + QPointF(-6, 9), QStringLiteral("0"));

    const QPointF knee = origin + QPointF(20, -30);
    p.setPen(QPen(Qt::red, 1.4));
    p.drawLine(origin, knee);
    p.drawLine(knee, knee + QPointF(38, 0));
    p.setPen(QPen(Qt::black, 0.6, Qt::DashLine));
    p.drawLine(knee, QPointF(knee.x(), origin.y()));
    p.drawLine(knee, QPointF(origin.x(), knee.y()));
    p.drawText(QPointF(origin.x() + 14, origin.y() + 9), QStringLiteral("sby"));
    p.drawText(QPointF(knee.x() + 8, knee.y() - 3), QStringLiteral("τby"));
}

} // namespace

QPixmap drawPanelSketches(QSize size, qreal devicePixelRatio) {
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / kWidth, size.height() / kHeight);
    QFont f = windowFont();
    f.setPointSizeF(6.5);
    p.setFont(f);
    drawBarGrid(p);
    drawElement(p);
    drawBondLaw(p);
    p.setPen(QPen(Qt::gray, 0.8));
    p.drawRect(QRectF(0.5, 0.5, kWidth - 1, kHeight - 1));
    return pixmap;
}

} // namespace zmbr::ui
