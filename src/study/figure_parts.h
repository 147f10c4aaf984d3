#pragma once
// What the figures share: their size and face, the mapping of values into a plot, texts placed
// by their line's box, the marks of how a run ended, and the frame with its ticks and titles.

#include "study/drawing.h"
#include "study/figure_scale.h"

#include <optional>
#include <string>

namespace zmbr {

// A figure's size in its own units (a PNG has twice as many pixels) and its text: the
// windows' 9.75 pt at 96 units to the inch, in Liberation Sans.
inline constexpr double kFigureWidth = 800, kFigureHeight = 520;
inline constexpr double kFigureTextSize = 13;
// π for a drawing's angles; the analysis has its own (numeric/model_constants.h).
inline constexpr double kDrawingPi = 3.14159265358979323846;
inline constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kGrey{150, 150, 150};

// A plot's area and the values at its edges. The bottom edge may hold the larger value: the
// ε1-ε2 figure has ε2 = 0 at the bottom and compression growing upwards.
struct PlotFrame {
    Box area;
    double xLeft = 0, xRight = 1, yBottom = 0, yTop = 1;
    Point map(double x, double y) const;
};

// The height of a line of text, ascent and descent, at a size.
double lineHeight(double size);
// The baseline of a line of text whose box starts at `top`, or is centred on `middle`.
double baselineBelow(double top, double size);
double baselineCentredOn(double middle, double size);

Label textLabel(std::string text, Point at, Anchor anchor = Anchor::Left, Face face = Face::Sans,
                double size = kFigureTextSize, Rgb colour = kBlack);
// Where a label is painted: its line's box, for angles of 0 and 90 degrees.
Box labelBox(const Label& label, const TextWidth& width);

Shape lineShape(Point from, Point to, Rgb colour, double width = 1);
Shape boxShape(const Box& box, std::optional<Rgb> stroke, std::optional<Rgb> fill,
               double strokeWidth = 1);
Box grown(const Box& box, double by);
bool overlaps(const Box& a, const Box& b);
bool inside(const Box& inner, const Box& outer);

// A hollow mark of half-size r, so that the line through it still shows: a circle for crushed
// concrete, a triangle for a rupture, a square for the step limit, a cross for a run that
// stopped.
void addEndMark(Drawing& d, Point centre, EndMark mark, Rgb colour, double r,
                std::optional<Box> clip = std::nullopt);

// The frame of the plot with its ticks, tick labels and axis titles, and grid lines if asked.
void addAxes(Drawing& d, const PlotFrame& frame, const AxisScale& xs, const AxisScale& ys,
             const std::string& xTitle, const std::string& yTitle, bool grid);

// The room below a plot for the x axis's ticks, their labels and its title.
double roomBelowPlot();

// The widest of the tick labels of a scale.
double widestTick(const AxisScale& s, const TextWidth& width);

} // namespace zmbr
