#pragma once
// A figure of curves: axes, ticks, titles, a legend, marks for how each run ended and labelled
// notes, laid out as a drawing of kFigureWidth × kFigureHeight units for any painter.

#include "study/drawing.h"
#include "study/figure_parts.h"
#include "study/figure_scale.h"

#include <string>
#include <utility>
#include <vector>

namespace zmbr {

// A labelled point on a curve: "cracking", "peak", "end".
struct FigureNote {
    double x = 0, y = 0;
    std::string text;
};

struct FigureCurve {
    std::string label;
    std::vector<std::pair<double, double>> points;
    std::vector<EndMark> marks; // empty, or one per point
    std::vector<FigureNote> notes;
};

struct FigureAxis {
    std::string title;
    bool fromZero = true;    // the range takes in 0
    bool negativeUp = false; // 0 at the bottom and negative values rising (the ε2 axis)
};

struct Figure {
    std::string title; // above the plot; may be empty
    FigureAxis x, y;
    std::string legendTitle; // above the curves' names; may be empty
    std::vector<FigureCurve> curves;
};

// How curve i is told apart from the others, in grey print too: its colour, its dashes, and
// the marker drawn at a few points along it where a figure has more than one curve.
enum class CurveMarker { Disc, Square, Diamond, TriangleDown, Plus };
struct CurveStyle {
    Rgb colour;
    std::vector<double> dashes;
    CurveMarker marker;
};
CurveStyle curveStyle(std::size_t i);

// Where the plot lies and the values at its edges.
struct FigureLayout {
    PlotFrame frame;
    AxisScale xs, ys;
    double legendLeft = 0;
};
FigureLayout layOutFigure(const Figure& figure, const TextWidth& width);

Drawing drawFigure(const Figure& figure, const TextWidth& width);

} // namespace zmbr
