#include "results/graph_scale.h"

#include <cmath>

namespace zmbr {

void resetGraphs(GraphState& g, int maxSteps) {
    g.eps1Lim = 1e-5;
    g.eps2Lim = -1e-5;
    g.gammaLim = 1e-5;
    g.tauLim = 1e-5;
    const std::size_t n = static_cast<std::size_t>(maxSteps) + 1;
    g.eps1.assign(n, 0.0);
    g.eps2.assign(n, 0.0);
    g.gammaXY.assign(n, 0.0);
    g.tauXY.assign(n, 0.0);
}

void recordStep(GraphState& g, int step, const StepPoint& p) {
    const std::size_t k = static_cast<std::size_t>(step);
    g.eps1[k] = p.eps1;
    g.eps2[k] = p.eps2;
    g.gammaXY[k] = p.gammaXY;
    g.tauXY[k] = p.tauXY;
}

void growLimits(GraphState& g, const StepPoint& p) {
    if (g.eps1Lim < 1.5 * p.eps1) g.eps1Lim = 1.5 * p.eps1;
    if (std::fabs(g.eps2Lim) < 1.5 * std::fabs(p.eps2)) g.eps2Lim = 1.5 * p.eps2;
    if (g.tauLim < 1.5 * p.tauXY) g.tauLim = 1.5 * p.tauXY;
    if (g.gammaLim < 1.5 * p.gammaXY) g.gammaLim = 1.5 * p.gammaXY;
}

int rescaleAfterStep(GraphState& g, const StepPoint& p) {
    int redraws = 0;
    if (std::fabs(p.eps2) > std::fabs(g.eps2Lim) || p.eps1 > g.eps1Lim) {
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
