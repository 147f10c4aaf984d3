#include "run/graph_scale.h"

#include "numeric/double_math.h"

#include <algorithm>

namespace zmbr {

void resetGraphs(GraphState& g, int maxSteps) {
    g.eps1Lim = 1e-5;
    g.eps2Lim = -1e-5;
    g.gammaLim = 1e-5;
    g.tauLim = 1e-5;
    // The history grows with the steps: most runs end long before the step limit, and a
    // fresh 320 KB block per run would make parallel runs fight over page faults.
    const std::size_t first = std::min<std::size_t>(static_cast<std::size_t>(maxSteps) + 1, 256);
    for (auto* h : {&g.eps1, &g.eps2, &g.gammaXY, &g.tauXY}) {
        h->assign(1, 0.0);
        h->reserve(first);
    }
}

void recordStep(GraphState& g, int step, const StepPoint& p) {
    const std::size_t k = static_cast<std::size_t>(step);
    if (g.eps1.size() == k) { // the next step, as the loop records them
        g.eps1.push_back(p.eps1);
        g.eps2.push_back(p.eps2);
        g.gammaXY.push_back(p.gammaXY);
        g.tauXY.push_back(p.tauXY);
        return;
    }
    if (g.eps1.size() < k)
        for (auto* h : {&g.eps1, &g.eps2, &g.gammaXY, &g.tauXY})
            h->resize(k + 1, 0.0);
    g.eps1[k] = p.eps1;
    g.eps2[k] = p.eps2;
    g.gammaXY[k] = p.gammaXY;
    g.tauXY[k] = p.tauXY;
}

void growLimits(GraphState& g, const StepPoint& p) {
    if (g.eps1Lim < 1.5 * p.eps1)
        g.eps1Lim = 1.5 * p.eps1;
    if (dmath::fabs(g.eps2Lim) < 1.5 * dmath::fabs(p.eps2))
        g.eps2Lim = 1.5 * p.eps2;
    if (g.tauLim < 1.5 * p.tauXY)
        g.tauLim = 1.5 * p.tauXY;
    if (g.gammaLim < 1.5 * p.gammaXY)
        g.gammaLim = 1.5 * p.gammaXY;
}

int rescaleAfterStep(GraphState& g, const StepPoint& p) {
    int redraws = 0;
    if (dmath::fabs(p.eps2) > dmath::fabs(g.eps2Lim) || p.eps1 > g.eps1Lim) {
        growLimits(g, p);
        ++redraws;
    }
    if (p.gammaXY > g.gammaLim || p.tauXY > g.tauLim) {
        growLimits(g, p);
        ++redraws;
    }
    return redraws;
}

} // namespace zmbr
