#include "bond/falling_stretch.h"

#include "numeric/double_bits.h"

#include <algorithm>

namespace zmbr {

namespace {

constexpr double u = 0x1p-53; // unit roundoff of double

int signOf(double x) {
    return (x > 0) - (x < 0);
}

bool moderate(double x) { // far from underflow and overflow, so that u bounds each rounding
    const double a = dmath::fabs(x);
    return a >= 1e-200 && a <= 1e200;
}

// 2^e for the binade [2^e, 2^(e+1)) of a finite positive normal x: x without its fraction.
double binadeFloor(double x) {
    return doubleOfBits(bitsOf(x) & 0x7FF0000000000000ULL);
}

} // namespace

FallingStretch::FallingStretch(const YieldZoneTerms& t) : t_(t) {
    if (!(t.k > 0) || !moderate(t.k) || !moderate(t.halfLength) || !moderate(t.tauBy) ||
        !moderate(t.EA) || !moderate(t.shareOfBar) || !moderate(t.slipTerm) ||
        !(dmath::fabs(t.barForce) <= 1e200) || !(dmath::fabs(t.slipForce) <= 1e200) ||
        !(dmath::fabs(t.bondStress) <= 1e200) || t.lb != 2 * t.halfLength)
        return;
    // p = 2 − 2/σ, off by at most ep.
    const double sigma = dmath::fabs(t.shareOfBar);
    if (t.shareOfBar == 1) {
        // nρ so large that 1/nρ vanishes beside 1: D = lb for every ly, and R' = 2τ·ly/lb − β
        // is linear in ly, its bounds on a stretch at its ends.
        constantDivisor_ = true;
        usable_ = moderate(t.lb) && moderate(t.bondStress);
        return;
    }
    const double p = 2 - 2 / t.shareOfBar;
    const double ep = 1.01 * u * (2 / sigma + dmath::fabs(p));
    if (!(dmath::fabs(p) > 16 * ep) || !moderate(p))
        return;
    const double relP = ep / dmath::fabs(p);
    // A = τ/p − β, off by at most eA.
    const double tauOverP = t.tauBy / p;
    const double A = tauOverP - t.bondStress;
    const double eA = dmath::fabs(tauOverP) * (1.07 * relP + 2.02 * u) +
                      1.01 * u * (dmath::fabs(t.bondStress) + dmath::fabs(A));
    if (!(dmath::fabs(A) <= 1e200) || !(eA <= 1e200))
        return;
    A_ = A;
    errorA_ = eA;
    // M = τ·q²/p + p·B: the sign of each share is that of its factors (a rounded sum keeps
    // the sign of the exact one), so where the shares agree M has their sign.
    const double q = t.lb / t.shareOfBar;
    const double B = t.barForce + t.slipForce;
    const double m1 = t.tauBy * (q * q) / p, m2 = p * B;
    const double sum = dmath::fabs(m1) + dmath::fabs(m2);
    signM_ = signOf(m1) * signOf(m2) >= 0 ? signOf(m1) + signOf(m2) * (m1 == 0) : 0;
    highM_ = 1.1 * sum;
    lowM_ = signM_ != 0 ? 0.9 * sum : 0;
    usable_ = highM_ <= 1e200;
}

long FallingStretch::iteratesProvenFalling(double ly, const YieldZoneResidual& at, int dir) const {
    const double a = dmath::fabs(ly);
    if (!usable_ || !(a >= 1) || !(a <= 0x1p40))
        return 0;
    const double lower = binadeFloor(a), upper = 2 * lower, ulp = lower * 0x1p-52;
    const double next = ly + 0.01 * dir;
    const double an = dmath::fabs(next);
    if (!(an >= lower + ulp) || !(an <= upper - 2 * ulp))
        return 0;
    const double step = next - ly; /* exact: both in one binade */
    const double stepSize = dmath::fabs(step);
    const bool away = an > a; // the walk takes |ly| up
    // Iterates that stay inside the binade, and whose exponentials stay within e^±700.
    double room = away ? upper - 2 * ulp - a : a - lower - ulp; /* exact */
    if (away)
        room = std::min(room, 708 / t_.k - dmath::fabs(t_.halfLength) - a);
    const double mRoom = room / stepSize;
    if (!(mRoom >= 16))
        return 0;
    long m = static_cast<long>(std::min(mRoom, 0x1p50)) - 1;
    // |Pb| falls where each step moves Pb towards zero.
    const int walkSign = -signOf(at.Pb);
    if (walkSign == 0)
        return 0;
    for (int attempt = 0; attempt < 12 && m >= 16; ++attempt) {
        const YieldZoneResidual far = yieldZoneResidual(t_, ly + static_cast<double>(m) * step);
        if (proves(ly, step, m, at, far, walkSign))
            return m;
        // Aim short of where Pb would cross zero if it went on as from here to the far end.
        const double perStep = (far.Pb - at.Pb) / static_cast<double>(m);
        const double toZero = signOf(perStep) == walkSign ? -at.Pb / perStep : 0;
        const double aim = toZero > 0 ? 0.9 * toZero : 0;
        m = aim >= 16 && aim < static_cast<double>(m) / 2 ? static_cast<long>(aim) : m / 2;
    }
    return 0;
}

bool FallingStretch::proves(double ly, double step, long m, const YieldZoneResidual& at,
                            const YieldZoneResidual& far, int slopeSign) const {
    const YieldZoneTerms& t = t_;
    const double farLy = ly + static_cast<double>(m) * step; /* exact: same binade */
    if (!residualIsDefined(far) || signOf(far.Pb) != signOf(at.Pb))
        return false;
    const double L = std::max(dmath::fabs(ly), dmath::fabs(farLy));
    const double h = dmath::fabs(t.halfLength);

    // tanh(k·lb/2) from two exponentials: its relative error λT.
    if (!(t.k * (h + L) <= 708))
        return false;
    const double lambda = 2.01 * u * (2 * t.k * (h + L) + 1);
    const double r0 = dmath::exp(-2 * t.k * t.halfLength);
    const double lambdaR = lambda + 3.1 * u * (2 * t.k * h) + 1.01 * u;
    const double rLow = r0 * (1 - 1.01 * lambdaR), rHigh = r0 * (1 + 1.01 * lambdaR);
    double g;
    if (rHigh < 1)
        g = 2 * rHigh / ((1 - rHigh) * (1 + rHigh));
    else if (rLow > 1)
        g = 2 * rLow / ((rLow - 1) * (rLow + 1));
    else
        return false;
    const double lambdaT = 1.01 * g * lambda + 3.01 * u;
    if (!(lambdaT <= 1e-3))
        return false;
    // sby·k/T against its exact, constant value.
    const double slipShare = dmath::fabs(at.slipShare);
    const double lambda1 = lambdaT + 1.01 * u;
    const double e1 = 1.1 * lambda1 * slipShare;

    // N/D: the divisor D is linear in ly and keeps its sign over the stretch.
    if (signOf(at.denominator) != signOf(far.denominator))
        return false;
    const double sigma = dmath::fabs(t.shareOfBar);
    const double eD = 3.03 * u * (2 * L + (dmath::fabs(t.lb) + 2 * L) / sigma);
    const double dMin = std::min(dmath::fabs(at.denominator), dmath::fabs(far.denominator)) - eD;
    const double dMax = std::max(dmath::fabs(at.denominator), dmath::fabs(far.denominator)) + eD;
    if (!(eD <= 1e-3 * dMin))
        return false;
    const double nMax =
        1.01 * (dmath::fabs(t.barForce) + dmath::fabs(t.tauBy) * L * L + dmath::fabs(t.slipForce));
    const double eN = 4.03 * u * nMax;
    const double dLow = dMin - eD;
    const double ePly = 1.01 * (eN + nMax / dMin * eD) / dLow + 1.01 * u * (nMax + eN) / dLow;
    const double plyMax = 1.01 * (nMax + eN) / dLow + ePly;
    const double betaL = 1.01 * dmath::fabs(t.bondStress) * L;
    const double eQ = ePly + 1.01 * u * betaL + 1.01 * u * (plyMax + betaL);
    const double qMax = plyMax + betaL;
    const double EA = dmath::fabs(t.EA);
    const double e2 = 1.01 * (eQ + 1.01 * u * qMax) / EA;
    const double share2Max = 1.01 * qMax / EA;
    const double E = 2 * (e1 + e2 + 1.01 * u * (1.01 * slipShare + share2Max));

    // R' = A − M/D² on the stretch, and so the true Pb's change from one iterate to the next:
    // at least slope·|step|, with the sign the walk needs.
    double rLowest, rHighest;
    if (constantDivisor_) {
        const double atStart = 2 * t.tauBy * ly / t.lb - t.bondStress;
        const double atEnd = 2 * t.tauBy * farLy / t.lb - t.bondStress;
        const double error =
            1e-12 * (2 * dmath::fabs(t.tauBy) * L / t.lb + dmath::fabs(t.bondStress));
        rLowest = std::min(atStart, atEnd) - error;
        rHighest = std::max(atStart, atEnd) + error;
    } else {
        const double mOverD2Low = signM_ > 0 ? lowM_ / (dMax * dMax) : -highM_ / (dMin * dMin);
        const double mOverD2High = signM_ < 0 ? -lowM_ / (dMax * dMax) : highM_ / (dMin * dMin);
        rLowest = A_ - errorA_ - mOverD2High;
        rHighest = A_ + errorA_ - mOverD2Low;
    }
    const int rSign = rLowest > 0 ? 1 : rHighest < 0 ? -1 : 0;
    if (rSign * signOf(t.EA) * signOf(step) != slopeSign)
        return false;
    const double slope = std::min(dmath::fabs(rLowest), dmath::fabs(rHighest)) / EA * (1 - 1e-9);
    if (!(slope * dmath::fabs(step) * (1 - 8 * u) > 2 * E))
        return false;
    return dmath::fabs(far.Pb) > 2 * E && dmath::fabs(at.Pb) > 2 * E;
}

} // namespace zmbr
