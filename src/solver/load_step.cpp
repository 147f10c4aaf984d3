#include "solver/load_step.h"

#include "numeric/double_bits.h"
#include "numeric/double_math.h"
#include "numeric/model_constants.h"

namespace zmbr {

namespace {

constexpr int kMaxPassCount = 100; // passes 0..101; the pass after 100 marks the concrete NG

// The rows show their type while the resultant still moves, or once they have yielded.
void showRowStatuses(const RunContext& ctx, bool moving) {
    RunState& rs = ctx.state;
    for (int i = 0; i < rs.rows; ++i) {
        bool showType = moving || rs.yielded[i] == 1;
        rs.rowStatus[i] = showType ? rs.rowType[i] : RowStatus::Ok;
    }
    if (ctx.observer)
        ctx.observer->rowStatusesShown(rs.rowStatus);
}

// The values a pass works out before the rows, and those it ends with.
void checkConcrete(const StepState& st) {
    finite(st.tauXY, "the shear stress τxy");
    finite(st.fc2, "the concrete stress fc2");
    finite(st.eps2, "the principal strain ε2");
    finite(st.epsY, "the strain εy");
}

void checkResultants(const StepState& st) {
    finite(st.sumFriy, "the reinforcement resultant Σfriy");
    finite(st.sumFrix, "the reinforcement resultant Σfrix");
    finite(st.fx, "the normal stress fx");
    finite(st.gammaXY, "the shear strain γxy");
}

// What stays the same through a θ iterate: the concrete's laws at this ε1, tan θ and the
// rows' cos 2ψ. The same doubles as worked out in every pass.
struct Iterate {
    double eps1, fc1, fc2max;
    double tanTheta, cotTheta, tan2;
    PerRow<double> cos2psi;
};

// Inner iteration for a fixed θ on the y resultant of the rows' stresses.
void innerPasses(const RunContext& ctx, const ConcreteLaw& law, const RunRows& rows,
                 const Iterate& it) {
    RunState& rs = ctx.state;
    StepState& st = rs.stepState;
    const double eps1 = it.eps1;
    const bool watched = ctx.watched();
    st.sumFriy = 0;
    st.count = -1;
    for (;;) {
        st.sumFriyPrev = st.sumFriy;
        st.count = st.count + 1;
        st.fc1 = it.fc1;
        st.tauXY = divide(st.fc1 + rs.sumRhoY * st.sumFriyPrev, it.tanTheta, "tan θ");
        st.fc2 = st.fc1 - st.tauXY * (it.tanTheta + it.cotTheta);
        st.fc2max = it.fc2max;
        st.concreteStatus = st.fc2 < st.fc2max ? ConcreteStatus::NG : ConcreteStatus::Ok;
        rs.concreteStatus = st.concreteStatus;
        st.eps2 = law.compressiveStrain(st.fc2, st.fc2max);
        st.epsY = (eps1 + st.eps2 * it.tan2) / (1 + it.tan2);
        checkConcrete(st);

        const double mean = (eps1 + st.eps2) / 2;
        const double radius = (eps1 - st.eps2) / 2;
        double sumFrix = 0;
        double sumFriy = 0;
        // Most passes let no user interface in before any of their rows: their yield points
        // are passed at once, and the rows run without a word to the observer.
        const bool rowsAtOnce = watched && ctx.observer && ctx.observer->passYieldPoints(rs.rows);
        for (int i = 0; i < rs.rows; ++i) {
            if (watched && !rowsAtOnce) {
                if (ctx.observer)
                    ctx.observer->rowStarted(i + 1);
                ctx.yieldToUi();
            }
            const double epsR = mean + radius * it.cos2psi[i];
            const double fr =
                rowStress(rows.Er[i], rows.fru[i], rows.capped[i], epsR, rs.yielded[i]);
            st.epsR[i] = epsR;
            st.fr[i] = fr;
            st.frX[i] = rows.absCos[i] * fr;
            st.frY[i] = rows.absSin[i] * fr;
            sumFrix = sumFrix + st.frX[i];
            sumFriy = sumFriy + st.frY[i];
        }
        if (rowsAtOnce)
            ctx.observer->rowStarted(rs.rows);
        st.sumFrix = sumFrix;
        st.sumFriy = sumFriy;
        const bool moving = dmath::fabs(st.sumFriy - st.sumFriyPrev) > rs.tolFriy;
        showRowStatuses(ctx, moving);

        st.epsX = eps1 + st.eps2 - st.epsY;
        st.fcx = st.fc1 - divide(st.tauXY, it.tanTheta, "tan θ");
        st.fx = st.fcx + rs.sumRhoX * st.sumFrix;
        st.gammaXY = divide(2 * (st.epsX - st.eps2), it.tanTheta, "tan θ");
        checkResultants(st);
        if (ctx.observer)
            ctx.observer->innerPassDone(
                {st.count, st.sumFriyPrev, st.tauXY, st.fc2, st.fx, st.gammaXY, st.concreteStatus});
        ctx.yieldToUi();

        if (st.count > kMaxPassCount) {
            st.concreteStatus = ConcreteStatus::NG;
            rs.concreteStatus = ConcreteStatus::NG;
            if (ctx.observer)
                ctx.observer->concreteStatusShown(ConcreteStatus::NG);
            return;
        }
        if (!moving)
            return;
    }
}

} // namespace

const AngleTerms::Values& AngleTerms::at(double theta, const RunRows& rows, int rowCount) {
    const std::uint64_t bits = bitsOf(theta);
    Values& v = kept_[(bits ^ (bits >> 29)) % kept_.size()];
    if (v.theta != theta) {
        v.theta = theta;
        for (int i = 0; i < rowCount; ++i)
            v.cos2psi[i] = dmath::cos(2 * (theta + kModelPi / 2 - rows.thetaR[i]));
        v.tanTheta = dmath::tan(theta);
    }
    return v;
}

void solveLoadStep(const RunContext& ctx, const ConcreteLaw& law, const RunRows& rows,
                   AngleTerms& angleTerms) {
    RunState& rs = ctx.state;
    StepState& st = rs.stepState;
    st.thetaIter = -1;
    st.theta = rs.thetaStart;
    st.fx = 0;
    st.searchDir = 1;
    st.reversals = 0;
    if (ctx.observer)
        ctx.observer->thetaColumnCleared();
    ctx.yieldToUi();

    // The concrete's tensile stress and softened strength depend on ε1 alone.
    Iterate it;
    it.eps1 = rs.eps1;
    it.fc1 = law.tension(it.eps1);
    it.fc2max = law.softenedStrength(it.eps1);
    for (;;) {
        st.thetaIter = st.thetaIter + 1;
        if (st.thetaIter >= kMaxThetaIterates)
            ctx.stop("the search for the crack angle θ did not settle within 9000 iterations.");
        if (!(st.theta > 0 && st.theta < kModelRightAngle))
            ctx.stop("the crack angle θ left the range between 0° and 90°.");
        if (ctx.observer)
            ctx.observer->thetaIterate(st.thetaIter, st.theta * 180 / kModelPi);
        st.fxPrev = st.fx;
        // ψ is fixed for the iterate, and so is cos 2ψ of every row.
        const AngleTerms::Values& at = angleTerms.at(st.theta, rows, rs.rows);
        for (int i = 0; i < rs.rows; ++i) {
            st.psi[i] = st.theta + kModelPi / 2 - rows.thetaR[i];
            it.cos2psi[i] = at.cos2psi[i];
        }
        it.tanTheta = at.tanTheta;
        it.cotTheta = divide(1, it.tanTheta, "tan θ");
        it.tan2 = it.tanTheta * it.tanTheta;

        innerPasses(ctx, law, rows, it);

        if (st.reversals == 3)
            return;
        if (!(dmath::fabs(st.fx) - dmath::fabs(st.fxPrev) < 0)) {
            st.searchDir = -st.searchDir;
            st.reversals = st.reversals + 1;
        }
        st.theta = st.theta + 0.01 * st.searchDir * kModelPi / 180;
    }
}

} // namespace zmbr
