#include "bond/yield_zone_search.h"

#include "bond/falling_stretch.h"
#include "input/number_text.h"

#include <string>

namespace zmbr {

namespace {

// The checked evaluation, which throws on the first quantity that is not defined.
void evaluateChecked(const YieldZoneTerms& t, double ly) {
    const double ea = finite(dmath::exp(t.k * (t.halfLength - ly)), "e^(k·(lb/2 − ly))");
    const double eb = dmath::exp(t.negK * (t.halfLength + ly));
    const double T = divide(ea - eb, ea + eb, "e^(k·(lb/2 − ly)) + e^(−k·(lb/2 + ly))");
    const double Ply =
        divide(t.barForce + t.tauBy * (ly * ly) + t.slipForce,
               2 * ly + divide(t.lb - 2 * ly, t.shareOfBar, "1 + 1/nρ"), "the yield-zone divisor");
    divide(t.slipTerm, T, "tanh(k·lb/2)");
    divide(Ply - t.bondStress * ly, t.EA, "Er·Ar");
}

} // namespace

void throwUndefinedResidual(const YieldZoneTerms& t, double ly) {
    // Far out the exponentials leave the range of doubles; the length the search reached,
    // next to the bar's, tells the engineer how far it went.
    std::string where = "the yield-zone search reached ly = " + formatNumber(ly, "0.00") +
                        " mm (the bar between cracks is " + formatNumber(t.lb, "0.00") +
                        " mm long), and there ";
    try {
        evaluateChecked(t, ly);
    } catch (const UndefinedNumber& u) {
        throw UndefinedNumber{where + u.what};
    }
    throw UndefinedNumber{where + "its residual Pb is not a finite number."};
}

namespace {

// Plain iterates the walk takes before it tries to prove a stretch ahead, and again after
// each try: a try costs about as much as a few dozen iterates.
constexpr int kPlainIteratesBeforeProof = 16;

} // namespace

double searchYieldZone(const RunContext& ctx, int i, const YieldZoneTerms& t) {
    RunState& rs = ctx.state;
    const FallingStretch stretch(t);
    const bool watched = ctx.watched();
    long iterations = rs.bondIterations;
    double PbPrev = 1000000;
    int nRev = 0;
    double Psaved = 0;
    int dir = 1;
    double ly = rs.bond[i].lyRow;
    int untilProof = kPlainIteratesBeforeProof;
    for (;;) {
        ++iterations;
        YieldZoneResidual r = yieldZoneResidual(t, ly);
        if (!residualIsDefined(r)) [[unlikely]]
            throwUndefinedResidual(t, ly);
        if (ctx.observer)
            ctx.observer->bondSearchIterate(ly, r.Pb);
        if (nRev == 3)
            break;
        if (!(dmath::fabs(r.Pb) < dmath::fabs(PbPrev))) {
            dir = -dir;
            nRev = nRev + 1;
            untilProof = kPlainIteratesBeforeProof;
        } else if (--untilProof == 0 && !ctx.walkEveryIterate) {
            untilProof = kPlainIteratesBeforeProof;
            // Iterates through which |Pb| provably keeps falling keep the direction: the walk
            // goes straight to the last of them, whose residual is evaluated as usual.
            if (const long m = stretch.iteratesProvenFalling(ly, r, dir); m > 0) {
                ly = ly + static_cast<double>(m) * ((ly + 0.01 * dir) - ly); /* exact */
                r = yieldZoneResidual(t, ly);
                iterations += m;
                if (ctx.observer)
                    ctx.observer->bondSearchIterate(ly, r.Pb);
            }
        }
        PbPrev = r.Pb;
        Psaved = r.Ply;
        ly = ly + 0.01 * dir;
        if (watched)
            ctx.yieldToUi();
    }
    rs.bondIterations = iterations;
    rs.bond[i].lyRow = ly;
    return Psaved;
}

} // namespace zmbr
