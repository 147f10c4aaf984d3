#include "ui/figure.h"

#include "ui/twips.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zmbr::ui {

namespace {

constexpr int kWidth = kFigureWidth, kHeight = kFigureHeight;
constexpr double kGap = 10, kTick = 5, kMark = 4.5, kSample = 28;

// The first curve in the graph windows' black, then colours that stay apart in print.
const QColor kColours[] = {QColor(0, 0, 0),     QColor(214, 39, 40),   QColor(31, 119, 180),
                           QColor(44, 160, 44), QColor(255, 127, 14),  QColor(148, 103, 189),
                           QColor(140, 86, 75), QColor(227, 119, 194), QColor(127, 127, 127),
                           QColor(23, 190, 207)};
const Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};

QPen curvePen(std::size_t i) {
    QPen pen = graphPen(kColours[i % std::size(kColours)]);
    pen.setStyle(kStyles[i / std::size(kColours) % std::size(kStyles)]);
    return pen;
}

struct DataRange {
    double xLow = std::numeric_limits<double>::infinity(), xHigh = -xLow, yLow = xLow,
           yHigh = -xLow;
};

DataRange rangeOf(const Figure& f) {
    DataRange r;
    for (const FigureCurve& c : f.curves)
        for (const auto& [x, y] : c.points) {
            r.xLow = std::min(r.xLow, x);
            r.xHigh = std::max(r.xHigh, x);
            r.yLow = std::min(r.yLow, y);
            r.yHigh = std::max(r.yHigh, y);
        }
    if (r.xLow > r.xHigh)
        r = DataRange{0, 0, 0, 0};
    return r;
}

class FigurePainter {
  public:
    FigurePainter(QPainter& p, const Figure& f) : p_(p), f_(f), font_(figureFont()), fm_(font_) {}

    void paint() {
        p_.fillRect(QRectF(0, 0, kWidth, kHeight), Qt::white);
        p_.setRenderHint(QPainter::Antialiasing);
        p_.setFont(font_);
        const DataRange d = rangeOf(f_);
        xs_ = axisScale(d.xLow, d.xHigh, f_.x.fromZero);
        ys_ = axisScale(d.yLow, d.yHigh, f_.y.fromZero);
        layOut();
        drawAxes();
        drawCurves();
        drawLegend();
    }

  private:
    void layOut() {
        double yLabels = 0;
        for (double v : ys_.ticks)
            yLabels = std::max(yLabels, fm_.horizontalAdvance(tickText(v, ys_.decimals)));
        const double line = fm_.height();
        const double left = kGap + line + kGap + yLabels + kTick + 4;
        const double top = kGap + line / 2 + (f_.title.isEmpty() ? 0 : line + kGap);
        const double bottom = kHeight - (kGap + line + kGap / 2 + line + kTick + 2);
        double legend = fm_.horizontalAdvance(f_.legendTitle);
        for (const FigureCurve& c : f_.curves)
            legend = std::max(legend, kSample + kGap + fm_.horizontalAdvance(c.label));
        legend =
            std::max(legend, kSample + kGap + fm_.horizontalAdvance(QStringLiteral("concrete NG")));
        legendLeft_ = kWidth - kGap - legend;
        plot_ = QRectF(QPointF(left, top), QPointF(legendLeft_ - 2 * kGap, bottom));
        frame_ = GraphFrame{plot_, xs_.low, xs_.high, ys_.low, ys_.high};
        if (f_.y.negativeUp)
            std::swap(frame_.yBottom, frame_.yTop);
    }

    void drawAxes() {
        drawAxesAndTitles(p_, fm_, frame_, xs_, ys_, f_.x.title, f_.y.title, true);
        const double line = fm_.height();
        if (!f_.title.isEmpty()) {
            QFont bold = font_;
            bold.setBold(true);
            p_.setFont(bold);
            p_.drawText(QRectF(plot_.left(), kGap, plot_.width(), line), Qt::AlignHCenter,
                        f_.title);
            p_.setFont(font_);
        }
    }

    void drawCurves() {
        p_.save();
        p_.setClipRect(plot_.adjusted(-kMark - 2, -kMark - 2, kMark + 2, kMark + 2));
        for (std::size_t i = 0; i < f_.curves.size(); ++i) {
            const FigureCurve& c = f_.curves[i];
            p_.setPen(curvePen(i));
            drawGraphPolyline(p_, frame_, c.points);
            for (std::size_t k = 0; k < c.marks.size() && k < c.points.size(); ++k)
                drawMark(p_, frame_.map(c.points[k].first, c.points[k].second), c.marks[k],
                         curvePen(i).color(), kMark);
        }
        p_.restore();
    }

    void drawLegend() {
        const double line = fm_.height() + 3;
        double y = plot_.top();
        p_.setPen(Qt::black);
        if (!f_.legendTitle.isEmpty()) {
            p_.drawText(QPointF(legendLeft_, y + fm_.ascent()), f_.legendTitle);
            y += line;
        }
        for (std::size_t i = 0; i < f_.curves.size(); ++i, y += line) {
            p_.setPen(curvePen(i));
            const double mid = y + line / 2 - 1;
            p_.drawLine(QPointF(legendLeft_, mid), QPointF(legendLeft_ + kSample, mid));
            p_.setPen(Qt::black);
            p_.drawText(QPointF(legendLeft_ + kSample + kGap, y + fm_.ascent()),
                        f_.curves[i].label);
        }
        y += line / 2;
        for (EndMark m :
             {EndMark::ConcreteNG, EndMark::Rupture, EndMark::StepLimit, EndMark::Stopped}) {
            const bool used = std::any_of(f_.curves.begin(), f_.curves.end(), [m](auto& c) {
                return std::find(c.marks.begin(), c.marks.end(), m) != c.marks.end();
            });
            if (!used)
                continue;
            drawMark(p_, QPointF(legendLeft_ + kSample / 2, y + line / 2 - 1), m, Qt::black, kMark);
            p_.setPen(Qt::black);
            p_.drawText(QPointF(legendLeft_ + kSample + kGap, y + fm_.ascent()), markText(m));
            y += line;
        }
    }

    QPainter& p_;
    const Figure& f_;
    QFont font_;
    QFontMetricsF fm_;
    AxisScale xs_, ys_;
    QRectF plot_;
    GraphFrame frame_;
    double legendLeft_ = 0;
};

} // namespace

// The windows' labels as they show where their own face is missing: Liberation Sans, named
// first so that an SVG viewer finds the same face.
QFont figureFont() {
    QFont f = windowFont();
    QStringList families{QStringLiteral("Liberation Sans"), QStringLiteral("Arial")};
    families += f.families();
    f.setFamilies(families);
    return f;
}

QString markText(EndMark m) {
    return QString::fromUtf8(markName(m));
}

// Hollow shapes, so that the line through them still shows: a circle for crushed concrete, a
// triangle for a rupture, a square for the step limit, a cross for a run that stopped.
void drawMark(QPainter& p, QPointF c, EndMark m, const QColor& colour, double r) {
    if (m == EndMark::None)
        return;
    p.save();
    p.setPen(QPen(colour, 1.2));
    p.setBrush(Qt::white);
    switch (m) {
    case EndMark::ConcreteNG:
        p.drawEllipse(c, r, r);
        break;
    case EndMark::Rupture: {
        QPainterPath t;
        t.moveTo(c + QPointF(0, -1.2 * r));
        t.lineTo(c + QPointF(1.1 * r, 0.8 * r));
        t.lineTo(c + QPointF(-1.1 * r, 0.8 * r));
        t.closeSubpath();
        p.drawPath(t);
        break;
    }
    case EndMark::StepLimit:
        p.drawRect(QRectF(c - QPointF(r, r), c + QPointF(r, r)));
        break;
    case EndMark::Stopped:
        p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
        p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
        break;
    case EndMark::None:
        break;
    }
    p.restore();
}

QString tickText(double v, int decimals) {
    return QString::fromStdString(tickLabel(v, decimals));
}

void drawAxesAndTitles(QPainter& p, const QFontMetricsF& fm, const GraphFrame& frame,
                       const AxisScale& xs, const AxisScale& ys, const QString& xTitle,
                       const QString& yTitle, bool grid) {
    const QRectF plot = frame.area;
    const QPen gridPen(QColor(222, 222, 222), 1);
    const QPen black(Qt::black, 1);
    const double line = fm.height();
    for (double v : xs.ticks) {
        const double x = frame.map(v, ys.low).x();
        if (grid) {
            p.setPen(gridPen);
            p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        }
        p.setPen(black);
        p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTick));
        p.drawText(QRectF(x - 60, plot.bottom() + kTick + 2, 120, line),
                   Qt::AlignHCenter | Qt::AlignTop, tickText(v, xs.decimals));
    }
    for (double v : ys.ticks) {
        const double y = frame.map(xs.low, v).y();
        if (grid) {
            p.setPen(gridPen);
            p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        }
        p.setPen(black);
        p.drawLine(QPointF(plot.left() - kTick, y), QPointF(plot.left(), y));
        p.drawText(QRectF(0, y - line / 2, plot.left() - kTick - 4, line),
                   Qt::AlignRight | Qt::AlignVCenter, tickText(v, ys.decimals));
    }
    p.setPen(black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);
    p.drawText(QRectF(plot.left(), kHeight - kGap - line, plot.width(), line),
               Qt::AlignHCenter | Qt::AlignBottom, xTitle);
    p.save();
    p.translate(kGap, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-plot.height() / 2, 0, plot.height(), line), Qt::AlignHCenter | Qt::AlignTop,
               yTitle);
    p.restore();
}

QByteArray renderPicture(const std::function<void(QPainter&)>& paint, const QString& title,
                         bool svg) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(QSize(kWidth, kHeight));
        generator.setViewBox(QRect(0, 0, kWidth, kHeight));
        generator.setResolution(96);
        generator.setTitle(title);
        QPainter p(&generator);
        paint(p);
    } else {
        QImage image(QSize(kWidth, kHeight) * 2, QImage::Format_RGB32);
        image.setDevicePixelRatio(2);
        {
            QPainter p(&image);
            paint(p);
        }
        image.save(&buffer, "PNG");
    }
    return bytes;
}

void paintFigure(QPainter& p, const Figure& figure) {
    FigurePainter(p, figure).paint();
}

QByteArray renderFigure(const Figure& figure, bool svg) {
    return renderPicture([&figure](QPainter& p) { paintFigure(p, figure); }, figure.title, svg);
}

} // namespace zmbr::ui
