#include "study/study_map.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>

namespace zmbr {

namespace {

constexpr double kGap = 10, kTick = 5, kBarWidth = 16, kHatch = 6;
constexpr double kTextSize = kFigureTextSize;

// A sequential scale from dark blue-violet through green to yellow, even in lightness, so that
// it reads the same in grey print (samples of the published viridis map).
constexpr std::array<Rgb, 9> kScale = {
    Rgb{0x44, 0x01, 0x54}, Rgb{0x47, 0x2c, 0x7a}, Rgb{0x3b, 0x51, 0x8b},
    Rgb{0x2c, 0x71, 0x8e}, Rgb{0x21, 0x90, 0x8d}, Rgb{0x27, 0xad, 0x81},
    Rgb{0x5c, 0xc8, 0x63}, Rgb{0xaa, 0xdc, 0x32}, Rgb{0xfd, 0xe7, 0x25}};

Rgb scaleColour(double t) {
    t = std::clamp(t, 0.0, 1.0) * (kScale.size() - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(t), kScale.size() - 2);
    const double f = t - static_cast<double>(i);
    auto mix = [f](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(a + f * (b - a)));
    };
    const Rgb a = kScale[i], b = kScale[i + 1];
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

// The edges of the cells around sorted values: halfway between neighbours, and half a spacing
// beyond the first and the last (one unit around a single value).
std::vector<double> cellEdges(const std::vector<double>& v) {
    std::vector<double> e(v.size() + 1);
    if (v.size() == 1)
        return {v[0] - 0.5, v[0] + 0.5};
    for (std::size_t i = 1; i < v.size(); ++i)
        e[i] = (v[i - 1] + v[i]) / 2;
    e.front() = v.front() - (e[1] - v.front());
    e.back() = v.back() + (v.back() - e[v.size() - 1]);
    return e;
}

// Ticks of the scale's step within [low, high].
AxisScale scaleWithin(double low, double high, double dataLow, double dataHigh) {
    AxisScale s = axisScale(dataLow, dataHigh, false);
    s.low = low;
    s.high = high;
    std::erase_if(s.ticks, [&](double t) {
        return t < low - 1e-9 * (high - low) || t > high + 1e-9 * (high - low);
    });
    return s;
}

// Lines rising to the right across a box, on a pattern that runs on from box to box: where
// no variant of a cell has a step.
void addHatch(Drawing& d, const Box& b) {
    const double right = b.left + b.width, bottom = b.top + b.height;
    for (double c = std::ceil((b.left + b.top) / kHatch) * kHatch; c <= right + bottom;
         c += kHatch) {
        // The line x + y = c, from where it enters the box at the bottom or left to where it
        // leaves at the top or right.
        const Point from{std::max(b.left, c - bottom), std::min(bottom, c - b.left)};
        const Point to{std::min(right, c - b.top), std::max(b.top, c - right)};
        if (to.x > from.x)
            d.items.push_back(lineShape(from, to, kGrey));
    }
}

class MapLayout {
  public:
    MapLayout(const StudyMap& m, const TextWidth& width) : m_(m), width_(width) {
        const StudyGrid& g = m_.grid;
        xEdges_ = cellEdges(g.xs);
        yEdges_ = cellEdges(g.ys);
        xs_ = scaleWithin(xEdges_.front(), xEdges_.back(), g.xs.front(), g.xs.back());
        ys_ = scaleWithin(yEdges_.front(), yEdges_.back(), g.ys.front(), g.ys.back());
        findValueRange();
        layOut();
    }

    Drawing draw() {
        d_.items.push_back(boxShape({0, 0, kFigureWidth, kFigureHeight}, std::nullopt, kWhite));
        drawCells();
        drawAxes();
        drawColourBar();
        drawKey();
        return std::move(d_);
    }

  private:
    double textWidth(const std::string& s) const { return width_(Face::Sans, kTextSize, s); }

    void findValueRange() {
        double low = 0, high = 0;
        bool any = false;
        std::map<std::string, int> ends;
        for (const StudyCell& c : m_.grid.cells) {
            if (!c.tauMax)
                continue;
            low = any ? std::min(low, *c.tauMax) : *c.tauMax;
            high = any ? std::max(high, *c.tauMax) : *c.tauMax;
            any = true;
            ++ends[c.end];
        }
        vs_ = axisScale(low, high, false);
        // The commonest end goes unmarked; the key says which it is.
        int most = 0;
        for (const auto& [end, count] : ends)
            if (count > most) {
                most = count;
                usual_ = endMarkOf(end);
            }
    }

    void layOut() {
        const double line = lineHeight(kTextSize);
        const double key = std::max(textWidth(std::string("unmarked: ") + markName(usual_)),
                                    textWidth(m_.valueTitle));
        const double right = std::max(kBarWidth + kTick + 4 + widestTick(vs_, width_), key);
        const double left = kGap + line + kGap + widestTick(ys_, width_) + kTick + 4;
        const double top = kGap + line / 2 + (m_.title.empty() ? 0 : line + kGap) + line;
        const double bottom = kFigureHeight - roomBelowPlot();
        keyLeft_ = kFigureWidth - kGap - right;
        plot_ = {left, top, keyLeft_ - 3 * kGap - left, bottom - top};
        // The bar's title above the half line that its top label may reach beyond the bar.
        const double barTop = top + line + line / 2 + 2;
        bar_ = {keyLeft_, barTop, kBarWidth, top + (bottom - top) * 0.6 - barTop};
    }

    PlotFrame frame() const { return {plot_, xs_.low, xs_.high, ys_.low, ys_.high}; }

  public:
    Box cell(std::size_t xi, std::size_t yi) const {
        const Point a = frame().map(xEdges_[xi], yEdges_[yi + 1]);
        const Point b = frame().map(xEdges_[xi + 1], yEdges_[yi]);
        return {a.x, a.y, b.x - a.x, b.y - a.y};
    }

  private:
    double fraction(double v) const { return (v - vs_.low) / (vs_.high - vs_.low); }

    void drawCells() {
        const StudyGrid& g = m_.grid;
        for (std::size_t yi = 0; yi < g.ys.size(); ++yi)
            for (std::size_t xi = 0; xi < g.xs.size(); ++xi) {
                const StudyCell& c = g.at(xi, yi);
                if (c.tauMax) // a hair wider, so that no seam shows between neighbours
                    d_.items.push_back(boxShape(grown(cell(xi, yi), 0.3), std::nullopt,
                                                scaleColour(fraction(*c.tauMax))));
                else
                    addHatch(d_, cell(xi, yi));
            }
        for (std::size_t yi = 0; yi < g.ys.size(); ++yi)
            for (std::size_t xi = 0; xi < g.xs.size(); ++xi) {
                const StudyCell& c = g.at(xi, yi);
                const EndMark mark = endMarkOf(c.end);
                if (!c.tauMax || mark == usual_)
                    continue;
                const Box r = cell(xi, yi);
                const double size = std::clamp(std::min(r.width, r.height) * 0.35, 1.5, 4.5);
                addEndMark(d_, {r.left + r.width / 2, r.top + r.height / 2}, mark, kBlack, size);
            }
    }

    void drawAxes() {
        const double line = lineHeight(kTextSize);
        addAxes(d_, frame(), xs_, ys_, m_.xTitle, m_.yTitle, false);
        d_.items.push_back(textLabel(m_.title, {kFigureWidth / 2, baselineBelow(kGap, kTextSize)},
                                     Anchor::Centre, Face::SansBold));
        if (!m_.subtitle.empty())
            d_.items.push_back(textLabel(
                m_.subtitle, {kFigureWidth / 2, baselineBelow(kGap + line + 2, kTextSize)},
                Anchor::Centre));
    }

    void drawColourBar() {
        const double line = lineHeight(kTextSize);
        const double bottom = bar_.top + bar_.height;
        const int bands = 64;
        for (int i = 0; i < bands; ++i) {
            const double t0 = static_cast<double>(i) / bands, t1 = (i + 1.0) / bands;
            const double top = bottom - t1 * bar_.height - 0.3;
            d_.items.push_back(
                boxShape({bar_.left, top, kBarWidth, bottom - t0 * bar_.height - top}, std::nullopt,
                         scaleColour((t0 + t1) / 2)));
        }
        d_.items.push_back(boxShape(bar_, kBlack, std::nullopt));
        const double right = bar_.left + kBarWidth;
        for (double v : vs_.ticks) {
            const double y = bottom - fraction(v) * bar_.height;
            d_.items.push_back(lineShape({right, y}, {right + kTick, y}, kBlack));
            d_.items.push_back(textLabel(tickLabel(v, vs_.decimals),
                                         {right + kTick + 4, baselineCentredOn(y, kTextSize)}));
        }
        const double titleBottom = bar_.top - line / 2 - 2;
        d_.items.push_back(
            textLabel(m_.valueTitle, {keyLeft_, baselineBelow(titleBottom - line, kTextSize)}));
    }

    void drawKey() {
        const double line = lineHeight(kTextSize) + 3, ascent = baselineBelow(0, kTextSize);
        double y = bar_.top + bar_.height + kGap;
        d_.items.push_back(
            textLabel(std::string("unmarked: ") + markName(usual_), {keyLeft_, y + ascent}));
        y += line;
        std::vector<EndMark> shown;
        bool noResult = false;
        for (const StudyCell& c : m_.grid.cells) {
            const EndMark m = endMarkOf(c.end);
            if (!c.tauMax)
                noResult = true;
            else if (m != usual_ && std::find(shown.begin(), shown.end(), m) == shown.end())
                shown.push_back(m);
        }
        std::sort(shown.begin(), shown.end());
        for (EndMark m : shown) {
            addEndMark(d_, {keyLeft_ + 6, y + line / 2 - 1}, m, kBlack, 4.5);
            d_.items.push_back(textLabel(markName(m), {keyLeft_ + 18, y + ascent}));
            y += line;
        }
        if (noResult) {
            addHatch(d_, {keyLeft_, y + 2, 12, line - 6});
            d_.items.push_back(textLabel("no step", {keyLeft_ + 18, y + ascent}));
        }
    }

    const StudyMap& m_;
    const TextWidth& width_;
    Drawing d_{kFigureWidth, kFigureHeight, {}};
    std::vector<double> xEdges_, yEdges_;
    AxisScale xs_, ys_, vs_;
    EndMark usual_ = EndMark::ConcreteNG;
    Box plot_, bar_;
    double keyLeft_ = 0;
};

} // namespace

StudyMap studyMap(const StudyResults& r) {
    StudyMap m;
    m.grid = studyGrid(r);
    const std::string file = std::filesystem::path(r.file).filename().string();
    m.title = "τxy max of the variants of " + file;
    if (!m.grid.folded.empty()) {
        std::string names;
        for (std::size_t i = 0; i < m.grid.folded.size(); ++i)
            names += (i ? ", " : "") + m.grid.folded[i];
        m.subtitle = "the lowest over the values of " + names;
    }
    m.xTitle = r.names[0].caption();
    m.yTitle = r.names[1].caption();
    m.valueTitle = "τxy max (MPa)";
    return m;
}

Drawing drawStudyMap(const StudyMap& map, const TextWidth& width) {
    return MapLayout(map, width).draw();
}

std::vector<Box> studyMapCells(const StudyMap& map, const TextWidth& width) {
    const MapLayout layout(map, width);
    std::vector<Box> boxes;
    for (std::size_t yi = 0; yi < map.grid.ys.size(); ++yi)
        for (std::size_t xi = 0; xi < map.grid.xs.size(); ++xi)
            boxes.push_back(layout.cell(xi, yi));
    return boxes;
}

} // namespace zmbr
