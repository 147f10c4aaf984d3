#pragma once
// The slip residual Pb of the yield-zone search at one length ly of the zone of constant bond,
// computed exactly as the search computes it: the same operations in the same order, so that
// the walk and the proof that skips part of it (falling_stretch.h) see the same doubles.

#include "numeric/double_math.h"

namespace zmbr {

// The terms of one row's search that do not change with ly.
struct YieldZoneTerms {
    double k, negK;        // the bond parameter and its negative
    double lb, halfLength; // bar length between cracks, and half of it
    double tauBy;          // bond stress of the yielded zone
    double EA;             // Er·Ar, formed in single precision
    double barForce;       // lb·Fbar
    double slipForce;      // 2·Er·Ar·sby / (1 + nρ)
    double shareOfBar;     // 1 + 1/nρ
    double slipTerm;       // sby·k
    double bondStress;     // tauBy·(1 + nρ)
};

// One evaluation, with the intermediate values the guards and the proof look at.
struct YieldZoneResidual {
    double ea, eb;      // e^(k·(lb/2 − ly)), e^(−k·(lb/2 + ly))
    double T;           // tanh(k·lb/2) as evaluated at this ly
    double part;        // (lb − 2·ly)/(1 + 1/nρ)
    double denominator; // 2·ly + part
    double Ply;         // bar force at the crack
    double slipShare;   // sby·k / T
    double bondShare;   // (Ply − tauBy·(1 + nρ)·ly) / (Er·Ar)
    double Pb;          // the residual, their sum
};

// Plain IEEE operations, no checks: a value that is not finite simply propagates, and
// residualIsDefined() tells whether every guard of the checked evaluation would pass.
inline YieldZoneResidual yieldZoneResidual(const YieldZoneTerms& t, double ly) {
    YieldZoneResidual r;
    r.ea = dmath::exp(t.k * (t.halfLength - ly));
    r.eb = dmath::exp(t.negK * (t.halfLength + ly));
    r.T = (r.ea - r.eb) / (r.ea + r.eb);
    r.part = (t.lb - 2 * ly) / t.shareOfBar;
    r.denominator = 2 * ly + r.part;
    r.Ply = (t.barForce + t.tauBy * (ly * ly) + t.slipForce) / r.denominator;
    r.slipShare = t.slipTerm / r.T;
    r.bondShare = (r.Ply - t.bondStress * ly) / t.EA;
    r.Pb = r.slipShare + r.bondShare;
    return r;
}

// The checks of the guarded evaluation, all at once: e^(k·(lb/2 − ly)) finite, and every
// quotient and every divisor finite (a divisor of 0 leaves no finite quotient). A NaN fails
// every comparison. The sum Pb itself is not checked, as the search compares it as it is.
inline bool residualIsDefined(const YieldZoneResidual& r) {
    return dmath::fabs(r.ea) <= DBL_MAX && dmath::fabs(r.ea + r.eb) <= DBL_MAX &&
           dmath::fabs(r.T) <= DBL_MAX && dmath::fabs(r.denominator) <= DBL_MAX &&
           dmath::fabs(r.Ply) <= DBL_MAX && dmath::fabs(r.slipShare) <= DBL_MAX &&
           dmath::fabs(r.bondShare) <= DBL_MAX;
}

// For the rare iterate that is not defined: the run's guards in the order of the evaluation,
// the first that fails naming the quantity.
[[noreturn]] void throwUndefinedResidual(const YieldZoneTerms& t, double ly);

} // namespace zmbr
