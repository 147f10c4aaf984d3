#pragma once
// How many of the yield-zone search's next iterates can be passed over because |Pb| is proven
// to keep falling through them, so that the walk keeps its direction at each of them.
//
// The search walks ly in steps of 0.01 mm and may need millions of them before |Pb| turns.
// Passing over an iterate is safe when the walk would only have compared |Pb| with its
// predecessor and found it smaller. That is shown for a whole stretch at once:
//
// 1. The residual as a real function of ly, with the search's own double terms, is
//      Pb(ly) = sby·k/tanh(k·lb/2) + (N(ly)/D(ly) − β·ly)/EA,
//    N = barForce + τ·ly² + slipForce, D = p·ly + q, p = 2 − 2/σ, q = lb/σ (σ = 1 + 1/nρ).
//    Its slope is R'(ly)/EA with R' = A − M/D², A = τ/p − β, M = τ·q²/p + p·(barForce +
//    slipForce) (polynomial division of (N − β·ly·D)/D). Bounds on A, on M and on D over the
//    stretch bound R' away from zero, or the stretch is not proven. Where σ is 1 to the bit,
//    D = lb and R' = 2τ·ly/lb − β, bounded by its values at the ends of the stretch.
// 2. The rounding of the evaluation (yield_zone_residual.h) is bounded on the stretch by E, a
//    running error bound over its operations with u = 2^-53 per operation (exp correctly
//    rounded), taken at the largest |ly| of the stretch and doubled for safety. tanh is
//    evaluated from two exponentials whose arguments carry the rounding of k·(lb/2 ∓ ly):
//    their ratio r = e^(−2k·lb/2) is off by a factor e^±Λ, and tanh = (1 − r)/(1 + r)
//    changes by at most a factor e^(±Λ·2r/|1 − r²|).
// 3. Within one binade of |ly| (|ly| ≥ 1) every step adds the same exact amount S, so the
//    iterates are ly + j·S exactly.
// If |slope|·|S| > 2E, Pb has the sign that makes the walk reduce |Pb| at both ends of the
// stretch and |Pb| > 2E at its far end, then at every iterate of the stretch the true |Pb|
// falls by more than 2E while the computed value stays within E of it: the computed |Pb|
// falls strictly at each iterate, and no evaluation would fail a guard (the exponentials stay
// between e^-700 and e^700 and D keeps its sign).

#include "bond/yield_zone_residual.h"

namespace zmbr {

// What the proof needs of one search's terms; set once per search.
class FallingStretch {
  public:
    explicit FallingStretch(const YieldZoneTerms& terms);

    // The number m of iterates after `ly` (evaluated as `at`, walking by `dir`) through which
    // the computed |Pb| provably keeps falling; 0 where nothing is proven. The iterate m
    // steps on is ly + m·(step), with step = (ly + 0.01·dir) − ly.
    long iteratesProvenFalling(double ly, const YieldZoneResidual& at, int dir) const;

  private:
    // Whether the iterates of the stretch from ly (residual `at`) to ly + m·step (`far`) all
    // bring |Pb| down, which needs Pb's change per step to have the sign `slopeSign`.
    bool proves(double ly, double step, long m, const YieldZoneResidual& at,
                const YieldZoneResidual& far, int slopeSign) const;

    const YieldZoneTerms& t_;
    bool usable_ = false;
    bool constantDivisor_ = false; // 1 + 1/nρ is 1: D = lb
    double A_ = 0, errorA_ = 0;    // A and a bound on its rounding
    int signM_ = 0;                // the sign of M where it is certain, else 0
    double lowM_ = 0, highM_ = 0;  // bounds on |M| (the lower one 0 where its sign is unsure)
};

} // namespace zmbr
