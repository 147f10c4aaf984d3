#pragma once
// One load step: the search for the crack angle θ at which the panel carries no normal
// stress in x, each θ with its inner iteration on the reinforcement's y resultant.

#include "solver/material_laws.h"
#include "solver/run_context.h"

namespace zmbr {

// The angles of the rows' bars in radians and their direction cosines, fixed for a run.
struct RowGeometry {
    PerRow<float> thetaR{};  // radians, stored at single precision
    PerRow<double> absCos{}; // |cos thetaR|
    PerRow<double> absSin{}; // |sin thetaR|
};

inline constexpr int kMaxThetaIterates = 9000;

// Solves the panel for the run's current eps1, leaving the result in state.stepState.
void solveLoadStep(const RunContext& ctx, const ConcreteLaw& law, const RowGeometry& geometry);

} // namespace zmbr
