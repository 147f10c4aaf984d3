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

// tan θ and every row's cos 2ψ at the last few θ the angle search evaluated. The search comes
// back to the same few θ, to the bit, step after step (its steps of 0.01° from where the last
// step ended), and these are the dearest values of an iterate.
class AngleTerms {
  public:
    struct Values {
        double theta = -1; // none yet: the search stays within (0, π/2)
        double tanTheta = 0;
        PerRow<double> cos2psi{};
    };
    // The values at theta, worked out where they are not kept.
    const Values& at(double theta, const RunRows& rows, int rowCount);

  private:
    std::array<Values, 16> kept_{};
};

// Solves the panel for the run's current eps1, leaving the result in state.stepState.
void solveLoadStep(const RunContext& ctx, const ConcreteLaw& law, const RunRows& rows,
                   AngleTerms& angleTerms);

} // namespace zmbr
