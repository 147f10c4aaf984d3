#include "run/graph_trace.h"

#include "numeric/number_text.h"

#include <algorithm>

namespace zmbr {

namespace {

std::pair<double, double> pointAt(GraphKind kind, const GraphState& g, std::size_t k) {
    return kind == GraphKind::Strains ? std::pair{g.eps1[k], g.eps2[k]}
                                      : std::pair{g.gammaXY[k], g.tauXY[k]};
}

} // namespace

GraphTrace::GraphTrace(GraphKind k) : kind(k) {
    const GraphState initial;
    xLim = kind == GraphKind::Strains ? initial.eps1Lim : initial.gammaLim;
    yLim = kind == GraphKind::Strains ? initial.eps2Lim : initial.tauLim;
}

std::string GraphTrace::xScaleText() const {
    return scaled_ ? formatNumber(xLim, "0.0E+00") : std::string();
}

std::string GraphTrace::yScaleText() const {
    return scaled_ ? formatNumber(yLim, "0.0E+00") : std::string();
}

void GraphTrace::plotStep(int step, const GraphState& g) {
    if (step == 1) {
        points.clear();
        redrawnAt_ = -1;
    }
    points.push_back(pointAt(kind, g, static_cast<std::size_t>(step)));
}

void GraphTrace::redraw(int step, const GraphState& g) {
    xLim = kind == GraphKind::Strains ? g.eps1Lim : g.gammaLim;
    yLim = kind == GraphKind::Strains ? g.eps2Lim : g.tauLim;
    scaled_ = true;
    // The points hold the history already: from step 1 before any redraw, or from the origin
    // without the point of the step of the last redraw after one. A run to the step limit
    // redraws dozens of times, so the missing point is put back instead of copying thousands.
    const auto wanted = static_cast<std::size_t>(std::max(step, 1));
    const auto r = static_cast<std::size_t>(std::max(redrawnAt_, 0));
    if (redrawnAt_ < 0 && !points.empty() && points.size() + 1 >= wanted) {
        points.insert(points.begin(), {0.0, 0.0});
    } else if (redrawnAt_ > 0 && r <= points.size() && points.size() + 1 >= wanted) {
        points.insert(points.begin() + redrawnAt_, pointAt(kind, g, r));
    } else {
        points.assign(1, {0.0, 0.0});
        for (int j = 1; j <= step - 1; ++j)
            points.push_back(pointAt(kind, g, static_cast<std::size_t>(j)));
    }
    points.resize(wanted);
    redrawnAt_ = step;
}

} // namespace zmbr
