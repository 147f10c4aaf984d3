#pragma once
// One load step: the search for the crack angle θ at which the panel carries no normal
// stress in x, each θ with its inner iteration on the reinforcement's y resultant.

#include "solver/material_laws.h"
#include "solver/run_context.h"

namespace zmbr {

// What the step solution needs of each row, fixed for a run.
struct RunRows {
    PerRow<Single> thetaR{}; // radians, stored at single precision
    PerRow<double> absCos{}; // |cos thetaR|
    PerRow<double> absSin{}; // |sin thetaR|
    PerRow<double> Er{}, fru{};
    PerRow<bool> capped{}; // a yield row: its stress stops at fru
};

inline constexpr int kMaxThetaIterates = 9000;

// Solves the panel for the run's current eps1, leaving the result in state.stepState.
void solveLoadStep(const RunContext& ctx, const ConcreteLaw& law, const RunRows& rows);

} // namespace zmbr
