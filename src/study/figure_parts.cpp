#include "study/figure_parts.h"

#include <algorithm>
#include <cmath>

namespace zmbr {

namespace {

// The x axis's labels start below the ticks, clear of the lowest label of the y axis, which is
// centred on the frame's bottom line.
constexpr double kGap = 10, kTick = 5, kBelowTicks = 4;
constexpr FaceMetrics kMetrics;
constexpr Rgb kGridColour{222, 222, 222};

} // namespace

Point PlotFrame::map(double x, double y) const {
    return {area.left + (x - xLeft) / (xRight - xLeft) * area.width,
            area.top + (yTop - y) / (yTop - yBottom) * area.height};
}

double lineHeight(double size) {
    return (kMetrics.ascent + kMetrics.descent) * size;
}

double baselineBelow(double top, double size) {
    return top + kMetrics.ascent * size;
}

double baselineCentredOn(double middle, double size) {
    return baselineBelow(middle - lineHeight(size) / 2, size);
}

Label textLabel(std::string text, Point at, Anchor anchor, Face face, double size, Rgb colour) {
    Label l;
    l.at = at;
    l.text = std::move(text);
    l.face = face;
    l.size = size;
    l.colour = colour;
    l.anchor = anchor;
    return l;
}

Box labelBox(const Label& l, const TextWidth& width) {
    const double w = width(l.face, l.size, l.text);
    const double start = l.anchor == Anchor::Left ? 0 : l.anchor == Anchor::Centre ? -w / 2 : -w;
    const double ascent = kMetrics.ascent * l.size, height = lineHeight(l.size);
    if (l.angle == 90) // reading upwards: the ascent lies to the left of the baseline
        return {l.at.x - ascent, l.at.y - start - w, height, w};
    return {l.at.x + start, l.at.y - ascent, w, height};
}

Shape lineShape(Point from, Point to, Rgb colour, double width) {
    Shape s;
    s.points = {from, to};
    s.stroke = Stroke{colour, width, {}};
    return s;
}

Shape boxShape(const Box& b, std::optional<Rgb> stroke, std::optional<Rgb> fill,
               double strokeWidth) {
    Shape s;
    s.points = {{b.left, b.top},
                {b.left + b.width, b.top},
                {b.left + b.width, b.top + b.height},
                {b.left, b.top + b.height}};
    s.closed = true;
    if (stroke)
        s.stroke = Stroke{*stroke, strokeWidth, {}};
    s.fill = fill;
    return s;
}

Box grown(const Box& b, double by) {
    return {b.left - by, b.top - by, b.width + 2 * by, b.height + 2 * by};
}

bool overlaps(const Box& a, const Box& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

bool inside(const Box& inner, const Box& outer) {
    return inner.left >= outer.left && inner.top >= outer.top &&
           inner.left + inner.width <= outer.left + outer.width &&
           inner.top + inner.height <= outer.top + outer.height;
}

void addEndMark(Drawing& d, Point c, EndMark m, Rgb colour, double r, std::optional<Box> clip) {
    Shape s;
    s.stroke = Stroke{colour, 1.2, {}};
    s.fill = kWhite;
    s.closed = true;
    s.clip = clip;
    switch (m) {
    case EndMark::ConcreteNG: // a polygon of 24 sides reads as a circle at this size
        for (int k = 0; k < 24; ++k) {
            const double a = k * (2 * kDrawingPi / 24);
            s.points.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
        }
        break;
    case EndMark::Rupture:
        s.points = {
            {c.x, c.y - 1.2 * r}, {c.x + 1.1 * r, c.y + 0.8 * r}, {c.x - 1.1 * r, c.y + 0.8 * r}};
        break;
    case EndMark::StepLimit:
        s = boxShape({c.x - r, c.y - r, 2 * r, 2 * r}, colour, kWhite, 1.2);
        s.clip = clip;
        break;
    case EndMark::Stopped: {
        Shape a = lineShape({c.x - r, c.y - r}, {c.x + r, c.y + r}, colour, 1.2);
        Shape b = lineShape({c.x - r, c.y + r}, {c.x + r, c.y - r}, colour, 1.2);
        a.clip = b.clip = clip;
        d.items.push_back(std::move(a));
        d.items.push_back(std::move(b));
        return;
    }
    case EndMark::None:
        return;
    }
    d.items.push_back(std::move(s));
}

double roomBelowPlot() {
    const double line = lineHeight(kFigureTextSize);
    return kTick + kBelowTicks + line + kGap / 2 + line + kGap;
}

double widestTick(const AxisScale& s, const TextWidth& width) {
    double w = 0;
    for (double v : s.ticks)
        w = std::max(w, width(Face::Sans, kFigureTextSize, tickLabel(v, s.decimals)));
    return w;
}

void addAxes(Drawing& d, const PlotFrame& frame, const AxisScale& xs, const AxisScale& ys,
             const std::string& xTitle, const std::string& yTitle, bool grid) {
    const Box& plot = frame.area;
    const double right = plot.left + plot.width, bottom = plot.top + plot.height;
    const double line = lineHeight(kFigureTextSize);
    for (double v : xs.ticks) {
        const double x = frame.map(v, ys.low).x;
        if (grid)
            d.items.push_back(lineShape({x, plot.top}, {x, bottom}, kGridColour));
        d.items.push_back(lineShape({x, bottom}, {x, bottom + kTick}, kBlack));
        d.items.push_back(textLabel(
            tickLabel(v, xs.decimals),
            {x, baselineBelow(bottom + kTick + kBelowTicks, kFigureTextSize)}, Anchor::Centre));
    }
    for (double v : ys.ticks) {
        const double y = frame.map(xs.low, v).y;
        if (grid)
            d.items.push_back(lineShape({plot.left, y}, {right, y}, kGridColour));
        d.items.push_back(lineShape({plot.left - kTick, y}, {plot.left, y}, kBlack));
        d.items.push_back(textLabel(tickLabel(v, ys.decimals),
                                    {plot.left - kTick - 4, baselineCentredOn(y, kFigureTextSize)},
                                    Anchor::Right));
    }
    d.items.push_back(boxShape(plot, kBlack, std::nullopt));
    d.items.push_back(textLabel(
        xTitle,
        {plot.left + plot.width / 2, baselineBelow(kFigureHeight - kGap - line, kFigureTextSize)},
        Anchor::Centre));
    Label y = textLabel(yTitle, {baselineBelow(kGap, kFigureTextSize), plot.top + plot.height / 2},
                        Anchor::Centre);
    y.angle = 90;
    d.items.push_back(std::move(y));
}

} // namespace zmbr
