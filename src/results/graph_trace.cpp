#include "results/graph_trace.h"

#include "input/number_text.h"

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

void GraphTrace::plotStep(int step, const GraphState& g) {
    if (step == 1) {
        points.clear();
        fromOrigin_ = false;
    }
    points.push_back(pointAt(kind, g, static_cast<std::size_t>(step)));
}

void GraphTrace::redraw(int step, const GraphState& g) {
    xLim = kind == GraphKind::Strains ? g.eps1Lim : g.gammaLim;
    yLim = kind == GraphKind::Strains ? g.eps2Lim : g.tauLim;
    xScaleText = formatNumber(xLim, "0.0E+00");
    yScaleText = formatNumber(yLim, "0.0E+00");
    // The points drawn so far are the history already (from the origin after an earlier
    // redraw, from step 1's point before); a run rescales dozens of times, so they are cut to
    // length rather than copied again.
    const auto wanted = static_cast<std::size_t>(std::max(step, 1));
    if (!fromOrigin_ && !points.empty() && points.size() + 1 >= wanted) {
        points.insert(points.begin(), {0.0, 0.0});
        fromOrigin_ = true;
    }
    if (fromOrigin_ && points.size() >= wanted) {
        points.resize(wanted);
        return;
    }
    points.assign(1, {0.0, 0.0});
    for (int j = 1; j <= step - 1; ++j)
        points.push_back(pointAt(kind, g, static_cast<std::size_t>(j)));
    fromOrigin_ = true;
}

} // namespace zmbr
