#pragma once
// The step history of the two graphs (ε1-ε2 and τ-γ) and the growth of their axis limits.

#include <vector>

namespace zmbr {

// Axis limits of the two graphs and the step history they are redrawn from.
struct GraphState {
    double eps1Lim = 1e-5, eps2Lim = -1e-5, gammaLim = 1e-5, tauLim = 1e-5;
    std::vector<double> eps1, eps2, gammaXY, tauXY; // indexed by step, 0..the last step recorded
};

struct StepPoint {
    double eps1, eps2, gammaXY, tauXY;
};

// An empty history (step 0 only; it grows as steps are recorded, up to maxSteps) and the
// initial limits.
void resetGraphs(GraphState& g, int maxSteps);

// Stores the step's point at index `step`.
void recordStep(GraphState& g, int step, const StepPoint& p);

// Grows all four limits to 1.5 times the point where it lies beyond them.
void growLimits(GraphState& g, const StepPoint& p);

// The rescale check after a step: how many redraws it asks for (0, 1 or 2); each redraw
// grows the limits first.
int rescaleAfterStep(GraphState& g, const StepPoint& p);

} // namespace zmbr
