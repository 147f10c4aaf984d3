#include "bond/yield_zone_search.h"

#include "bond/falling_stretch.h"
#include "numeric/number_text.h"

#include <array>
#include <string>

namespace zmbr {

void throwUndefinedResidual(const YieldZoneTerms& t, double ly) {
    // Far out the exponentials leave the range of doubles; the length the search reached,
    // next to the bar's, tells the engineer how far it went.
    std::string where = "the yield-zone search reached ly = " + formatNumber(ly, "0.00") +
                        " mm (the bar between cracks is " + formatNumber(t.lb, "0.00") +
                        " mm long), and there ";
    const YieldZoneResidual r = yieldZoneResidual(t, ly);
    try {
        finite(r.ea, "e^(k·(lb/2 − ly))");
        checkQuotient(r.T, r.ea + r.eb, "e^(k·(lb/2 − ly)) + e^(−k·(lb/2 + ly))");
        checkQuotient(r.part, t.shareOfBar, "1 + 1/nρ");
        checkQuotient(r.Ply, r.denominator, "the yield-zone divisor");
        checkQuotient(r.slipShare, r.T, "tanh(k·lb/2)");
        checkQuotient(r.bondShare, t.EA, "Er·Ar");
    } catch (const UndefinedNumber& u) {
        throw UndefinedNumber{where + u.what};
    }
    throw UndefinedNumber{where + "its residual Pb is not a finite number."};
}

namespace {

// Plain iterates the walk takes before it tries to prove a stretch ahead, and again after
// each try: a try costs about as much as a few dozen iterates.
constexpr int kPlainIteratesBeforeProof = 16;

// After its first turn the walk comes back over the iterates it has just evaluated, to the
// bit (every step within a binade adds the same amount): their residuals are kept.
class RecentResiduals {
  public:
    explicit RecentResiduals(const YieldZoneTerms& t) : t_(t) {}
    const YieldZoneResidual& at(double ly) {
        for (const Kept& k : kept_)
            if (k.set && k.ly == ly)
                return k.r;
        Kept& k = kept_[next_++ % kept_.size()];
        k = {true, ly, yieldZoneResidual(t_, ly)};
        return k.r;
    }

  private:
    struct Kept {
        bool set = false;
        double ly = 0;
        YieldZoneResidual r{};
    };
    const YieldZoneTerms& t_;
    std::array<Kept, 4> kept_{};
    unsigned next_ = 0;
};

} // namespace

double searchYieldZone(const RunContext& ctx, int i, const YieldZoneTerms& t) {
    RunState& rs = ctx.state;
    const FallingStretch stretch(t);
    RecentResiduals recent(t);
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
        YieldZoneResidual r = recent.at(ly);
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
