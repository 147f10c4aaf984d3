#include "solver/analysis_run.h"

#include <algorithm>

#include "bond/bond_analysis.h"
#include "input/execute_command.h"
#include "results/graph_scale.h"
#include "results/result_file.h"
#include "solver/load_step.h"
#include "solver/material_laws.h"
#include "solver/run_context.h"

#include <cmath>

namespace zmbr {

namespace {

constexpr double kPi = 3.1416;

struct RunSetup {
    ConcreteLaw law;
    RowGeometry geometry;
};

RunSetup setUpRun(const PanelInput& in, RunState& rs, int maxSteps) {
    rs.rows = in.usedRows();
    for (int i = 0; i < rs.rows; ++i) {
        rs.rowType[i] =
            in.rows[i].failureMode == FailureMode::Rupture ? RowStatus::Rpt : RowStatus::Yld;
        rs.yielded[i] = 0;
    }
    RunSetup setup{makeConcreteLaw(in.fc, in.epsC), {}};
    rs.ft = setup.law.ft;
    rs.epsCr = setup.law.epsCr;
    rs.sumRhoX = 0;
    rs.sumRhoY = 0;
    for (int i = 0; i < rs.rows; ++i) {
        const ReinforcementLayer& row = in.rows[i];
        rs.rhoR[i] = row.Ar / (in.t * row.s) * in.layer;
        const float thetaR = static_cast<float>(row.thetaR * kPi / 180);
        setup.geometry.thetaR[i] = thetaR;
        setup.geometry.absCos[i] = std::fabs(std::cos(thetaR));
        setup.geometry.absSin[i] = std::fabs(std::sin(thetaR));
        rs.rhoX[i] = setup.geometry.absCos[i] * rs.rhoR[i];
        rs.sumRhoX = rs.sumRhoX + rs.rhoX[i];
        rs.rhoY[i] = setup.geometry.absSin[i] * rs.rhoR[i];
        rs.sumRhoY = rs.sumRhoY + rs.rhoY[i];
    }
    rs.eps1 = 0;
    rs.dEps1 = 1e-5;
    rs.tolFriy = 0.1;
    rs.maxSteps = maxSteps;
    rs.runEnd = 0;
    rs.thetaStart = in.initialTheta * kPi / 180;
    resetGraphs(rs.graph, maxSteps);
    rs.tauMax = 0;
    rs.tauPrev = 0;
    for (int i = 0; i < rs.rows; ++i)
        rs.bond[i] = BondRowState{};
    rs.step = 0;
    return setup;
}

void checkSetUp(const RunContext& ctx) {
    const RunState& rs = ctx.state;
    ctx.requireFinite(rs.epsCr, "the cracking strain εcr");
    for (int i = 0; i < rs.rows; ++i)
        ctx.requireFinite(rs.rhoR[i], "a reinforcement ratio ρ");
    ctx.requireFinite(rs.sumRhoX, "the reinforcement ratio in x");
    ctx.requireFinite(rs.sumRhoY, "the reinforcement ratio in y");
}

void fillOutcome(RunOutcome& out, const RunState& rs, const PanelInput& in) {
    out.tauMax = rs.tauMax;
    if (out.end != RunEnd::Failure)
        return;
    out.concreteNG = rs.concreteStatus == ConcreteStatus::NG;
    for (int i = 0; i < rs.rows; ++i)
        out.ruptured[i] =
            in.rows[i].failureMode == FailureMode::Rupture && rs.rowStatus[i] == RowStatus::Rpt;
}

} // namespace

std::string stepLimitMessage() {
    return "Please make contact to zmbr-support@example.org. (0)";
}

RunOutcome runAnalysis(PanelInput& in, const RunSettings& settings) {
    FileSystem& fs = settings.fileSystem ? *settings.fileSystem : realFileSystem();
    const Clock& clock = settings.clock ? *settings.clock : systemClock();
    RunObserver* observer = settings.observer;
    RunState rs;
    RunContext ctx{in, rs, observer, settings.cancel};
    RunOutcome out;
    ResultFile file;

    RunSetup setup = setUpRun(in, rs, settings.maxSteps);
    if (observer)
        observer->runStarted(rs);
    try {
        checkSetUp(ctx);
        in.outputFileName = resultFileName(in.outputFileName);
        if (int error = file.open(fs, in.outputFileName, in, rs.rows, clock.now())) {
            out.end = RunEnd::OpenFailed;
            out.message = testOutputMessage(error);
            out.buttonShowsOk = false;
            if (observer)
                observer->runEnded(out);
            return out;
        }
        for (;;) {
            rs.step = rs.step + 1;
            if (rs.step > rs.maxSteps) {
                file.close();
                throw RunStop{RunEnd::StepLimit, stepLimitMessage()};
            }
            if (settings.cancel && settings.cancel->load(std::memory_order_relaxed))
                throw RunStop{RunEnd::Cancelled, {}};
            rs.bondIterations = 0;
            rs.eps1 = rs.eps1 + rs.dEps1;
            if (rs.eps1 > 10 * rs.epsCr)
                rs.eps1 = rs.eps1 + 0.1 * rs.step * rs.dEps1;
            if (observer)
                observer->stepStarted(rs.step, rs.eps1);

            solveLoadStep(ctx, setup.law, setup.geometry);

            if (rs.tauMax <= rs.tauPrev)
                rs.tauMax = rs.tauPrev;
            if (observer)
                observer->tauMaxShown(rs.tauMax);
            analyseBondAtCracks(ctx);
            if (rs.concreteStatus == ConcreteStatus::NG)
                rs.runEnd = 1;

            const StepState& st = rs.stepState;
            const StepPoint point{rs.eps1, st.eps2, st.gammaXY, st.tauXY};
            recordStep(rs.graph, rs.step, point);
            if (observer)
                observer->stepPlotted(rs.step, rs.graph);

            int error = rs.runEnd == 0 ? file.writeStep(rs) : file.writeClosing(rs);
            if (error != 0)
                throw RunStop{RunEnd::WriteFailed, {}};

            for (int n = rescaleAfterStep(rs.graph, point); n > 0; --n)
                if (observer)
                    observer->graphsRescaled(rs.step, rs.graph);
            // A failure step is complete once its closing lines are written; a cancel now
            // changes nothing.
            if (rs.runEnd == 1) {
                if (observer)
                    observer->yieldPoint();
            } else {
                ctx.yieldToUi();
            }

            rs.thetaStart = st.theta;
            rs.tauPrev = st.tauXY;
            if (rs.runEnd == 1) {
                file.close();
                out.end = RunEnd::Failure;
                out.steps = rs.step;
                out.buttonShowsOk = true;
                break;
            }
        }
    } catch (const RunStop& stop) {
        file.close();
        out.end = stop.end;
        out.message = stop.reason;
        out.steps = std::max(rs.step - 1, 0); // a stop before the first step completed none
        // A guard stop is an ended run whose button offers "OK"; the step limit, a failed
        // write and a cancel keep "Cancel".
        out.buttonShowsOk = stop.end == RunEnd::Stopped;
    }
    fillOutcome(out, rs, in);
    if (observer)
        observer->runEnded(out);
    return out;
}

} // namespace zmbr
