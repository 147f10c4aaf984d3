#include "run/analysis_run.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "bond/bond_analysis.h"
#include "numeric/double_math.h"
#include "numeric/model_constants.h"
#include "run/graph_scale.h"
#include "run/result_file.h"
#include "solver/load_step.h"
#include "solver/material_laws.h"
#include "solver/run_context.h"

namespace zmbr {

namespace {

using Stopwatch = std::chrono::steady_clock;
constexpr auto kDrainEvery = std::chrono::milliseconds(100);

struct RunSetup {
    ConcreteLaw law;
    RunRows rows;
    AngleTerms angleTerms;
};

// A row's ratio and its direction cosines, in double from the angle stored in radians.
void setUpRow(const RunParameters& p, RunState& rs, RunRows& rows, int i) {
    const RowParameters& row = p.row[i];
    finite(row.modularRatio, "the modular ratio Er / Ec");
    // As a double: libc++'s isfinite takes arithmetic types only.
    if (row.ts == 0 || !std::isfinite(static_cast<double>(row.ts)))
        throwUndefinedQuotient(row.ts, "t·s");
    rs.rhoR[i] = row.rhoR;
    finite(rs.rhoR[i], "the reinforcement ratio ρ");
    rows.thetaR[i] = row.thetaR;
    rows.absCos[i] = dmath::fabs(dmath::cos(row.thetaR));
    rows.absSin[i] = dmath::fabs(dmath::sin(row.thetaR));
    rows.Er[i] = row.Er;
    rows.fru[i] = row.fru;
    rows.capped[i] = row.failureMode == FailureMode::Yield;
    rs.rhoX[i] = rows.absCos[i] * rs.rhoR[i];
    rs.sumRhoX = rs.sumRhoX + rs.rhoX[i];
    rs.rhoY[i] = rows.absSin[i] * rs.rhoR[i];
    rs.sumRhoY = rs.sumRhoY + rs.rhoY[i];
}

// Throws UndefinedNumber where a constant of the run cannot be computed.
void setUpRun(const RunParameters& p, RunState& rs, RunSetup& setup, int maxSteps) {
    rs.rows = p.rows;
    for (int i = 0; i < rs.rows; ++i) {
        rs.rowType[i] =
            p.row[i].failureMode == FailureMode::Rupture ? RowStatus::Rpt : RowStatus::Yld;
        rs.yielded[i] = 0;
    }
    rs.eps1 = 0;
    rs.dEps1 = 1e-5;
    rs.tolFriy = 0.1;
    rs.maxSteps = maxSteps;
    rs.runEnd = 0;
    rs.thetaStart = p.initialTheta * kModelPi / 180;
    resetGraphs(rs.graph, maxSteps);
    rs.tauMax = 0;
    rs.tauPrev = 0;
    for (int i = 0; i < rs.rows; ++i)
        rs.bond[i] = BondRowState{};
    rs.step = 0;

    setup.law = makeConcreteLaw(p.fc, p.epsC);
    rs.ft = setup.law.ft;
    rs.epsCr = setup.law.epsCr;
    rs.sumRhoX = 0;
    rs.sumRhoY = 0;
    for (int i = 0; i < rs.rows; ++i) {
        try {
            setUpRow(p, rs, setup.rows, i);
        } catch (const UndefinedNumber& u) {
            throw UndefinedNumber{"for row " + std::to_string(i + 1) + ", " + u.what};
        }
    }
}

void fillOutcome(RunOutcome& out, const RunState& rs, const RunParameters& p) {
    out.tauMax = rs.tauMax;
    for (int i = 0; i < rs.rows; ++i)
        out.yielded[i] = rs.yielded[i] == 1;
    if (out.end != RunEnd::Failure)
        return;
    out.concreteNG = rs.concreteStatus == ConcreteStatus::NG;
    for (int i = 0; i < rs.rows; ++i)
        out.ruptured[i] =
            p.row[i].failureMode == FailureMode::Rupture && rs.rowStatus[i] == RowStatus::Rpt;
}

// A run that ends other than by failure: the file keeps its complete lines.
void endEarly(ResultFile& file, RunOutcome& out, const RunState& rs, const RunStop& stop) {
    file.close();
    out.end = stop.end;
    out.message = stop.reason;
    out.steps = std::max(rs.step - 1, 0); // a stop before the first step completed none
    // A guard stop is an ended run whose button offers "OK"; the step limit, a failed
    // write and a cancel keep "Cancel".
    out.buttonShowsOk = stop.end == RunEnd::Stopped;
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
    const RunParameters params = runParameters(in);
    RunContext ctx{params, rs, observer, settings.cancel, settings.walkEveryIterate};
    RunOutcome out;
    ResultFile file;

    auto lastDrain = Stopwatch::now();
    RunSetup setup{};
    std::optional<UndefinedNumber> setUpFailure;
    try {
        setUpRun(params, rs, setup, settings.maxSteps);
    } catch (const UndefinedNumber& u) {
        setUpFailure = u;
    }
    if (observer)
        observer->runStarted(rs);
    try {
        if (setUpFailure)
            ctx.stop(setUpFailure->what);
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
                if (file.close() != 0)
                    throw RunStop{RunEnd::WriteFailed, {}};
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

            solveLoadStep(ctx, setup.law, setup.rows, setup.angleTerms);

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
            // Someone watching the run sees the file grow.
            if (error == 0 && observer && rs.step % 64 == 0 &&
                Stopwatch::now() - lastDrain >= kDrainEvery) {
                lastDrain = Stopwatch::now();
                error = file.drain();
            }
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
                if (file.close() != 0) // lines that waited in the buffer did not reach it
                    throw RunStop{RunEnd::WriteFailed, {}};
                out.end = RunEnd::Failure;
                out.steps = rs.step;
                out.buttonShowsOk = true;
                break;
            }
        }
    } catch (const UndefinedNumber& u) {
        endEarly(file, out, rs, RunStop{RunEnd::Stopped, stopMessage(rs.step, u.what)});
    } catch (const RunStop& stop) {
        endEarly(file, out, rs, stop);
    }
    fillOutcome(out, rs, params);
    if (observer)
        observer->runEnded(out);
    return out;
}

} // namespace zmbr
