#include "bond/bond_analysis.h"

#include "bond/yield_zone_search.h"

#include "numeric/double_math.h"
#include "numeric/model_constants.h"

#include <string>

namespace zmbr {

namespace {

constexpr double kAngle135 = 135 * kModelPi / 180;

// The bond data of one row for the current step.
struct BondRow {
    double lb;   // bar length between cracks
    double nRho; // modular ratio times reinforcement ratio
    double Fbar; // average bar force
    double k;    // bond parameter
    double EAs2; // 2·Er·Ar·sBy, formed at single precision
    double EA;   // Er·Ar, formed at single precision
};

// The terms of the row's yield-zone search that do not change with ly.
YieldZoneTerms yieldZoneTerms(const RunContext& ctx, const BondRow& b) {
    const RunParameters& in = ctx.params;
    finite(b.EAs2, "2·Er·Ar·sby");
    finite(b.EA, "Er·Ar");
    YieldZoneTerms t;
    t.k = b.k;
    t.negK = -b.k;
    t.lb = b.lb;
    t.halfLength = b.lb / 2;
    t.tauBy = in.tauBy;
    t.EA = b.EA;
    t.barForce = b.lb * b.Fbar;
    t.slipForce = divide(b.EAs2, 1 + b.nRho, "1 + nρ");
    t.shareOfBar = 1 + divide(1, b.nRho, "nρ");
    t.slipTerm = in.sBy * b.k;
    t.bondStress = in.tauBy * (1 + b.nRho);
    return t;
}

// Bar force at the crack by the linear bond law, or by the yield-zone search where the
// linear law puts more than tauBy at the crack face.
double crackForce(const RunContext& ctx, int i, double lb) {
    const RunParameters& in = ctx.params;
    const RowParameters& row = in.row[i];
    const RunState& rs = ctx.state;
    BondRow b{};
    b.lb = lb;
    b.nRho = row.modularRatio * rs.rhoR[i];
    b.Fbar = row.Ar * rs.stepState.fr[i];
    b.EAs2 = row.EAs2;
    b.EA = row.EA;
    b.k = finite(dmath::sqrt(divide(in.tauBy * (1 + b.nRho), row.EAs, "Er·Ar·sby")),
                 "the bond parameter k");
    const double ep = finite(dmath::exp(b.k * lb / 2), "e^(k·lb/2)");
    const double em = dmath::exp(-b.k * lb / 2);
    const double T = divide(ep - em, ep + em, "e^(k·lb/2) + e^(−k·lb/2)");
    double Pcr =
        divide(lb * b.Fbar * (1 + b.nRho), b.nRho * lb + divide(2, b.k * T, "k·tanh(k·lb/2)"),
               "the bond divisor nρ·lb + 2/(k·tanh(k·lb/2))");
    const double S = (ep - em) / 2;
    const double C = (ep + em) / 2;
    const double tauBmax = divide(Pcr * b.k * S, (1 + b.nRho) * C, "(1 + nρ)·cosh(k·lb/2)");
    if (tauBmax > in.tauBy) {
        if (ctx.observer)
            ctx.observer->bondSearchStarted(i + 1);
        Pcr = searchYieldZone(ctx, i, yieldZoneTerms(ctx, b));
        if (ctx.observer)
            ctx.observer->bondSearchEnded(i + 1);
    }
    return Pcr;
}

void setRowStatus(const RunContext& ctx, int i, RowStatus status) {
    ctx.state.rowStatus[i] = status;
    if (ctx.observer)
        ctx.observer->rowStatusShown(i + 1, status);
}

} // namespace

void analyseBondAtCracks(const RunContext& ctx) {
    const RunParameters& in = ctx.params;
    RunState& rs = ctx.state;
    const StepState& st = rs.stepState;
    const double maxLength = 300 * dmath::sqrt(2.0);
    for (int i = 0; i < rs.rows; ++i) {
        const RowParameters& row = in.row[i];
        BondRowState& bond = rs.bond[i];
        const double fr = st.fr[i];
        try {
            bool bonded = false;
            double lb = 0;
            if (fr >= 0 && st.psi[i] != kModelRightAngle) {
                lb = divide(in.sm * dmath::sin(kAngle135 - st.theta),
                            dmath::fabs(dmath::cos(st.psi[i])), "|cos ψ|");
                bonded = lb <= maxLength;
            }
            if (bonded) {
                bond.frCr = divide(crackForce(ctx, i, lb), row.Ar, "Ar");
                bond.epsRcr = divide(bond.frCr, row.Er, "Er");
            } else {
                bond.frCr = fr;
                bond.epsRcr = divide(fr, row.Er, "Er");
            }
        } catch (const UndefinedNumber& u) {
            throw UndefinedNumber{"in the bond analysis of row " + std::to_string(i + 1) + ", " +
                                  u.what};
        }

        if (row.failureMode == FailureMode::Rupture) {
            if (bond.frCr > row.fru) {
                setRowStatus(ctx, i, rs.rowType[i]);
                rs.runEnd = 1;
            } else {
                setRowStatus(ctx, i, RowStatus::Ok);
            }
        } else if (row.failureMode == FailureMode::Yield) {
            if (bond.frCr > row.fru) {
                setRowStatus(ctx, i, rs.rowType[i]);
                bond.frCr = row.fru;
            } else {
                setRowStatus(ctx, i, rs.yielded[i] == 1 ? rs.rowType[i] : RowStatus::Ok);
            }
        }
    }
}

} // namespace zmbr
