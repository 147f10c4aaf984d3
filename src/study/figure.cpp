#include "study/figure.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zmbr {

namespace {

constexpr double kGap = 10, kMark = 4.5, kSample = 28, kCurveWidth = 1.2;
constexpr double kTextSize = kFigureTextSize;

// The first curve in the graph windows' black, then colours that stay apart in print.
constexpr Rgb kColours[] = {{0, 0, 0},       {214, 39, 40},   {31, 119, 180}, {44, 160, 44},
                            {255, 127, 14},  {148, 103, 189}, {140, 86, 75},  {227, 119, 194},
                            {127, 127, 127}, {23, 190, 207}};
// Four dash patterns and five markers: the first twenty curves differ in both together.
const std::vector<double> kDashes[] = {{}, {7, 3.5}, {1.5, 2.5}, {8, 3, 1.5, 3}};
constexpr CurveMarker kMarkers[] = {CurveMarker::Disc, CurveMarker::Square, CurveMarker::Diamond,
                                    CurveMarker::TriangleDown, CurveMarker::Plus};
constexpr int kMarkersAlong = 4;

struct DataRange {
    double xLow = std::numeric_limits<double>::infinity(), xHigh = -xLow, yLow = xLow,
           yHigh = -xLow;
    void take(double x, double y) {
        xLow = std::min(xLow, x);
        xHigh = std::max(xHigh, x);
        yLow = std::min(yLow, y);
        yHigh = std::max(yHigh, y);
    }
};

DataRange rangeOf(const Figure& f) {
    DataRange r;
    for (const FigureCurve& c : f.curves) {
        for (const auto& [x, y] : c.points)
            r.take(x, y);
        for (const FigureNote& n : c.notes)
            r.take(n.x, n.y);
    }
    if (r.xLow > r.xHigh)
        r = DataRange{0, 0, 0, 0};
    return r;
}

Shape polygon(std::vector<Point> points, Rgb fill, std::optional<Box> clip) {
    Shape s;
    s.points = std::move(points);
    s.closed = true;
    s.fill = fill;
    s.clip = clip;
    return s;
}

// A small filled marker, unlike the hollow end marks.
void addMarker(Drawing& d, Point c, CurveMarker m, Rgb colour, std::optional<Box> clip) {
    switch (m) {
    case CurveMarker::Disc: {
        std::vector<Point> p;
        for (int k = 0; k < 16; ++k) {
            const double a = k * (2 * kDrawingPi / 16);
            p.push_back({c.x + 3.2 * std::cos(a), c.y + 3.2 * std::sin(a)});
        }
        d.items.push_back(polygon(std::move(p), colour, clip));
        return;
    }
    case CurveMarker::Square: {
        Shape s = boxShape({c.x - 2.8, c.y - 2.8, 5.6, 5.6}, std::nullopt, colour);
        s.clip = clip;
        d.items.push_back(std::move(s));
        return;
    }
    case CurveMarker::Diamond:
        d.items.push_back(polygon(
            {{c.x, c.y - 4}, {c.x + 3.4, c.y}, {c.x, c.y + 4}, {c.x - 3.4, c.y}}, colour, clip));
        return;
    case CurveMarker::TriangleDown:
        d.items.push_back(polygon(
            {{c.x - 3.8, c.y - 2.6}, {c.x + 3.8, c.y - 2.6}, {c.x, c.y + 3.8}}, colour, clip));
        return;
    case CurveMarker::Plus: {
        Shape a = lineShape({c.x - 4.2, c.y}, {c.x + 4.2, c.y}, colour, 1.8);
        Shape b = lineShape({c.x, c.y - 4.2}, {c.x, c.y + 4.2}, colour, 1.8);
        a.clip = b.clip = clip;
        d.items.push_back(std::move(a));
        d.items.push_back(std::move(b));
        return;
    }
    }
}

// Where a curve's markers go: on a line of a few values (a study's variants, whose points
// carry their end marks) halfway between them; on a long one at a few points evenly along it
// as drawn, shifted for each curve so that the markers of curves that run together do not
// cover each other.
std::vector<Point> pointsAlong(const std::vector<Point>& line, std::size_t curve) {
    if (line.empty())
        return {};
    if (line.size() <= 3 * kMarkersAlong) {
        std::vector<Point> out;
        for (std::size_t k = 1; k < line.size(); ++k)
            out.push_back({(line[k - 1].x + line[k].x) / 2, (line[k - 1].y + line[k].y) / 2});
        return line.size() == 1 ? line : out;
    }
    std::vector<double> at(line.size(), 0);
    for (std::size_t k = 1; k < line.size(); ++k)
        at[k] = at[k - 1] + std::hypot(line[k].x - line[k - 1].x, line[k].y - line[k - 1].y);
    if (at.back() == 0)
        return {line.front()};
    const double shift = 0.25 + 0.5 * static_cast<double>(curve % 3) / 2;
    std::vector<Point> out;
    std::size_t k = 1;
    for (int j = 0; j < kMarkersAlong; ++j) {
        const double s = (j + shift) / kMarkersAlong * at.back();
        while (k + 1 < line.size() && at[k] < s)
            ++k;
        const double span = at[k] - at[k - 1], t = span > 0 ? (s - at[k - 1]) / span : 0;
        out.push_back({line[k - 1].x + t * (line[k].x - line[k - 1].x),
                       line[k - 1].y + t * (line[k].y - line[k - 1].y)});
    }
    return out;
}

// Whether the segment from a to b passes through the box (Liang and Barsky's clipping).
bool meets(Point a, Point b, const Box& box) {
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {a.x - box.left, box.left + box.width - a.x, a.y - box.top,
                        box.top + box.height - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    return true;
}

// Whether two segments cross (touching ends count).
bool segmentsCross(Point a, Point b, Point c, Point d) {
    auto side = [](Point o, Point p, Point q) {
        return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
    };
    const double d1 = side(c, d, a), d2 = side(c, d, b), d3 = side(a, b, c), d4 = side(a, b, d);
    return ((d1 <= 0 && d2 >= 0) || (d1 >= 0 && d2 <= 0)) &&
           ((d3 <= 0 && d4 >= 0) || (d3 >= 0 && d4 <= 0));
}

bool crossesAny(const Box& box, const std::vector<std::vector<Point>>& lines) {
    for (const auto& line : lines)
        for (std::size_t k = 1; k < line.size(); ++k)
            if (meets(line[k - 1], line[k], box))
                return true;
    return false;
}

// The notes' labels go inside the plot, beside their points, clear of each other, of the
// marks and, where there is a place for it, of the curves; a label set further off gets a
// line to its point.
class NotePlacer {
  public:
    NotePlacer(const FigureLayout& l, const TextWidth& width,
               const std::vector<std::vector<Point>>& lines, std::vector<Box> taken)
        : l_(l), width_(width), lines_(lines), taken_(std::move(taken)) {}

    void add(Drawing& d, const FigureNote& n) {
        const Point p = l_.frame.map(n.x, n.y);
        Label label = textLabel(n.text, {0, 0});
        const double w = width_(label.face, label.size, label.text), h = lineHeight(kTextSize);
        const Box room = grown(l_.frame.area, -2);
        struct Place {
            Box box;
            double distance;
        };
        std::vector<Place> places;
        for (double g : {5.0, 22.0, 40.0})
            for (auto [dx, dy] :
                 {std::pair{1, -1}, {-1, -1}, {1, 1}, {-1, 1}, {0, -1}, {0, 1}, {1, 0}, {-1, 0}}) {
                const double left = dx > 0 ? p.x + g : dx < 0 ? p.x - g - w : p.x - w / 2;
                const double top = dy > 0 ? p.y + g : dy < 0 ? p.y - g - h : p.y - h / 2;
                places.push_back({{left, top, w, h}, g});
            }
        auto clearOfLabels = [&](const Box& b) {
            return std::none_of(taken_.begin(), taken_.end(),
                                [&](const Box& t) { return overlaps(grown(b, 1), t); });
        };
        // A label beside its point needs no line; one further off is joined to it by a line
        // that, like the label, should cross no curve (it starts clear of the point's own).
        auto leader = [&](const Box& b) {
            const Point to{std::clamp(p.x, b.left, b.left + w), std::clamp(p.y, b.top, b.top + h)};
            const double length = std::hypot(to.x - p.x, to.y - p.y),
                         k = length > 6 ? 6 / length : 0;
            const Point from{p.x + (to.x - p.x) * k, p.y + (to.y - p.y) * k};
            return std::pair{from, to};
        };
        auto clearOfCurves = [&](const Place& c) {
            if (crossesAny(c.box, lines_))
                return false;
            if (c.distance <= 5)
                return true;
            const std::pair<Point, Point> ends = leader(c.box);
            return !std::any_of(lines_.begin(), lines_.end(), [&](const auto& line) {
                for (std::size_t k = 1; k < line.size(); ++k)
                    if (segmentsCross(ends.first, ends.second, line[k - 1], line[k]))
                        return true;
                return false;
            });
        };
        const Place* best = nullptr;
        for (int pass = 0; pass < 3 && !best; ++pass)
            for (const Place& c : places)
                if (inside(c.box, room) && (pass > 1 || clearOfLabels(c.box)) &&
                    (pass > 0 || clearOfCurves(c))) {
                    best = &c;
                    break;
                }
        // Where no place is inside, the first is pushed in (its start kept for a text longer
        // than the plot is wide).
        Box box = best ? best->box : places.front().box;
        box.left = std::max(room.left, std::min(box.left, room.left + room.width - w));
        box.top = std::max(room.top, std::min(box.top, room.top + room.height - h));
        if (!best || best->distance > 5) {
            const auto [from, to] = leader(box);
            d.items.push_back(lineShape(from, to, kGrey, 0.8));
        }
        label.at = {box.left, baselineBelow(box.top, kTextSize)};
        d.items.push_back(std::move(label));
        taken_.push_back(box);
    }

  private:
    const FigureLayout& l_;
    const TextWidth& width_;
    const std::vector<std::vector<Point>>& lines_;
    std::vector<Box> taken_;
};

void addLegend(Drawing& d, const Figure& f, const FigureLayout& l, bool markers) {
    const double line = lineHeight(kTextSize) + 3;
    const double left = l.legendLeft, ascent = baselineBelow(0, kTextSize);
    double y = l.frame.area.top;
    if (!f.legendTitle.empty()) {
        d.items.push_back(textLabel(f.legendTitle, {left, y + ascent}));
        y += line;
    }
    for (std::size_t i = 0; i < f.curves.size(); ++i, y += line) {
        const CurveStyle s = curveStyle(i);
        const double mid = y + line / 2 - 1;
        Shape sample = lineShape({left, mid}, {left + kSample, mid}, s.colour, kCurveWidth);
        sample.stroke->dashes = s.dashes;
        d.items.push_back(std::move(sample));
        if (markers)
            addMarker(d, {left + kSample / 2, mid}, s.marker, s.colour, std::nullopt);
        d.items.push_back(textLabel(f.curves[i].label, {left + kSample + kGap, y + ascent}));
    }
    y += line / 2;
    for (EndMark m :
         {EndMark::ConcreteNG, EndMark::Rupture, EndMark::StepLimit, EndMark::Stopped}) {
        const bool used = std::any_of(f.curves.begin(), f.curves.end(), [m](auto& c) {
            return std::find(c.marks.begin(), c.marks.end(), m) != c.marks.end();
        });
        if (!used)
            continue;
        addEndMark(d, {left + kSample / 2, y + line / 2 - 1}, m, kBlack, kMark);
        d.items.push_back(textLabel(markName(m), {left + kSample + kGap, y + ascent}));
        y += line;
    }
}

} // namespace

CurveStyle curveStyle(std::size_t i) {
    return {kColours[i % std::size(kColours)], kDashes[i % std::size(kDashes)],
            kMarkers[i % std::size(kMarkers)]};
}

FigureLayout layOutFigure(const Figure& f, const TextWidth& width) {
    FigureLayout l;
    const DataRange d = rangeOf(f);
    l.xs = axisScale(d.xLow, d.xHigh, f.x.fromZero);
    l.ys = axisScale(d.yLow, d.yHigh, f.y.fromZero);
    const double line = lineHeight(kTextSize);
    const double left = kGap + line + kGap + widestTick(l.ys, width) + 5 + 4;
    const double top = kGap + line / 2 + (f.title.empty() ? 0 : line + kGap);
    const double bottom = kFigureHeight - roomBelowPlot();
    double legend = width(Face::Sans, kTextSize, f.legendTitle);
    for (const FigureCurve& c : f.curves)
        legend = std::max(legend, kSample + kGap + width(Face::Sans, kTextSize, c.label));
    legend = std::max(legend, kSample + kGap + width(Face::Sans, kTextSize, "concrete NG"));
    l.legendLeft = kFigureWidth - kGap - legend;
    l.frame = {{left, top, l.legendLeft - 2 * kGap - left, bottom - top},
               l.xs.low,
               l.xs.high,
               l.ys.low,
               l.ys.high};
    if (f.y.negativeUp)
        std::swap(l.frame.yBottom, l.frame.yTop);
    return l;
}

Drawing drawFigure(const Figure& f, const TextWidth& width) {
    const FigureLayout l = layOutFigure(f, width);
    Drawing d{kFigureWidth, kFigureHeight, {}};
    d.items.push_back(boxShape({0, 0, kFigureWidth, kFigureHeight}, std::nullopt, kWhite));
    addAxes(d, l.frame, l.xs, l.ys, f.x.title, f.y.title, true);
    const Box& plot = l.frame.area;
    if (!f.title.empty())
        d.items.push_back(textLabel(f.title,
                                    {plot.left + plot.width / 2, baselineBelow(kGap, kTextSize)},
                                    Anchor::Centre, Face::SansBold));

    // The curves, then their markers and end marks over all of them; the marks at the frame
    // show whole.
    const Box clip = grown(plot, kMark + 2);
    const bool markers = f.curves.size() > 1;
    std::vector<std::vector<Point>> lines;
    std::vector<Box> marked;
    for (std::size_t i = 0; i < f.curves.size(); ++i) {
        const FigureCurve& c = f.curves[i];
        Shape s;
        for (const auto& [x, y] : c.points)
            s.points.push_back(l.frame.map(x, y));
        s.stroke = Stroke{curveStyle(i).colour, kCurveWidth, curveStyle(i).dashes};
        s.clip = clip;
        lines.push_back(s.points);
        d.items.push_back(std::move(s));
    }
    for (std::size_t i = 0; i < f.curves.size(); ++i) {
        const FigureCurve& c = f.curves[i];
        const CurveStyle style = curveStyle(i);
        if (markers)
            for (Point p : pointsAlong(lines[i], i))
                addMarker(d, p, style.marker, style.colour, clip);
        for (std::size_t k = 0; k < c.marks.size() && k < lines[i].size(); ++k) {
            addEndMark(d, lines[i][k], c.marks[k], style.colour, kMark, clip);
            if (c.marks[k] != EndMark::None)
                marked.push_back(grown({lines[i][k].x, lines[i][k].y, 0, 0}, kMark + 1));
        }
        for (const FigureNote& n : c.notes) {
            const Point p = l.frame.map(n.x, n.y);
            addMarker(d, p, CurveMarker::Disc, style.colour, clip);
            marked.push_back(grown({p.x, p.y, 0, 0}, 4));
        }
    }
    NotePlacer notes(l, width, lines, marked);
    for (const FigureCurve& c : f.curves)
        for (const FigureNote& n : c.notes)
            notes.add(d, n);
    addLegend(d, f, l, markers);
    return d;
}

} // namespace zmbr
