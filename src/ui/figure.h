#pragma once
// A figure for a report: curves in the graph windows' look, with axes, ticks, titles, a legend
// and marks for how each run ended; written as SVG or PNG without a display.

#include "study/figure_scale.h"
#include "ui/graph_drawing.h"

#include <QByteArray>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace zmbr::ui {

using zmbr::AxisScale;
using zmbr::axisScale;
using zmbr::EndMark;
using zmbr::endMarkOf;

struct FigureCurve {
    QString label;
    GraphPoints points;
    std::vector<EndMark> marks; // empty, or one per point
};

struct FigureAxis {
    QString title;
    bool fromZero = true;    // the range takes in 0
    bool negativeUp = false; // 0 at the bottom and negative values rising (the ε2 axis)
};

struct Figure {
    QString title; // above the plot; may be empty
    FigureAxis x, y;
    QString legendTitle; // above the curves' names; may be empty
    std::vector<FigureCurve> curves;
};

// The figure on a kFigureWidth × kFigureHeight area from the painter's origin, for a page
// that places and scales it.
void paintFigure(QPainter& p, const Figure& figure);

// The figure as the bytes of an SVG or a PNG file. Needs a QGuiApplication, which may run on
// the offscreen platform.
QByteArray renderFigure(const Figure& figure, bool svg);

// What the figures share: their size in logical pixels (a PNG has twice as many), their face,
// the end marks, the tick labels, and the drawing into SVG or PNG bytes.
inline constexpr int kFigureWidth = 800, kFigureHeight = 520;
QFont figureFont();
QString markText(EndMark m);
// A hollow mark of half-size r: a circle for crushed concrete, a triangle for a rupture, a
// square for the step limit, a cross for a run that stopped.
void drawMark(QPainter& p, QPointF centre, EndMark m, const QColor& colour, double r);
QString tickText(double v, int decimals);
// The frame of the plot with its ticks, tick labels and axis titles, and grid lines if asked.
void drawAxesAndTitles(QPainter& p, const QFontMetricsF& fm, const GraphFrame& frame,
                       const AxisScale& xs, const AxisScale& ys, const QString& xTitle,
                       const QString& yTitle, bool grid);
QByteArray renderPicture(const std::function<void(QPainter&)>& paint, const QString& title,
                         bool svg);

} // namespace zmbr::ui
