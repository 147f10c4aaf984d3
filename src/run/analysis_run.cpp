#include "run/analysis_run.h"

#include <algorithm>
#include <optional>

#include "bond/bond_analysis.h"
#include "numeric/double_math.h"
#include "numeric/model_constants.h"
#include "run/graph_scale.h"
#include "run/result_file.h"
#include "run/step_sinks.h"
#include "solver/load_step.h"
#include "solver/material_laws.h"
#include "solver/run_context.h"

namespace zmbr {

namespace {

// Thrown inside the loop to end the run at once.
struct RunStop {
    RunEnd end;
    std::string message;
};

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
    // A step that did not finish leaves no stresses to show.
    if (out.end == RunEnd::Failure || out.end == RunEnd::StepLimit)
        for (int i = 0; i < rs.rows; ++i) {
            out.rowStress[i] = rs.stepState.fr[i];
            out.crackStress[i] = rs.bond[i].frCr;
        }
    if (out.end != RunEnd::Failure)
        return;
    out.concreteNG = rs.concreteStatus == ConcreteStatus::NG;
    for (int i = 0; i < rs.rows; ++i)
        out.ruptured[i] =
            p.row[i].failureMode == FailureMode::Rupture && rs.rowStatus[i] == RowStatus::Rpt;
}

// A run that ends other than by failure: the file keeps its complete lines.
void endEarly(ResultFileSink& file, RunOutcome& out, const RunState& rs, const RunStop& stop) {
    file.abandon();
    out.end = stop.end;
    out.message = stop.message;
    out.steps = std::max(rs.step - 1, 0); // a stop before the first step completed none
}

// A guard's stop: what could not be computed, and the box that says so.
RunStop guardStop(const RunState& rs, const std::string& what) {
    return RunStop{RunEnd::Stopped, stopMessage(rs.step, what)};
}

} // namespace

RunOutcome runAnalysis(PanelInput& in, const RunSettings& settings) {
    FileSystem& fs = settings.fileSystem ? *settings.fileSystem : realFileSystem();
    const Clock& clock = settings.clock ? *settings.clock : systemClock();
    RunObserver* observer = settings.observer;
    RunState rs;
    const RunParameters params = runParameters(in);
    RunContext ctx{params, rs, observer, settings.cancel, settings.walkEveryIterate};
    RunOutcome out;
    // Where each step goes: the result file, and for a watcher the graphs' history.
    ResultFileSink file(observer != nullptr);
    GraphSink graphs(observer, settings.maxSteps);

    RunSetup setup{};
    std::optional<std::string> setUpFailure;
    try {
        setUpRun(params, rs, setup, settings.maxSteps);
    } catch (const UndefinedNumber& u) {
        setUpFailure = u.what;
    }
    if (observer)
        observer->runStarted(rs);
    try {
        if (setUpFailure)
            throw AnalysisStop{*setUpFailure};
        in.outputFileName = resultFileName(in.outputFileName);
        if (int error = file.open(fs, in.outputFileName, in, rs.rows, clock.now())) {
            out.end = RunEnd::OpenFailed;
            out.message = testOutputMessage(error);
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
                throw CancelRequested{};
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

            // The step is done: it is plotted, written, and the graphs grow where it lies
            // beyond them.
            const StepState& st = rs.stepState;
            const StepPoint point{rs.eps1, st.eps2, st.gammaXY, st.tauXY};
            graphs.plot(rs.step, point);
            if (file.stepDone(rs) != 0)
                throw RunStop{RunEnd::WriteFailed, {}};
            if (settings.listener)
                settings.listener->stepDone(rs);
            graphs.rescale(rs.step, point);
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
                break;
            }
        }
    } catch (const UndefinedNumber& u) {
        out.cause = u.what;
        endEarly(file, out, rs, guardStop(rs, u.what));
    } catch (const AnalysisStop& s) {
        out.cause = s.what;
        endEarly(file, out, rs, guardStop(rs, s.what));
    } catch (const CancelRequested&) {
        endEarly(file, out, rs, RunStop{RunEnd::Cancelled, {}});
    } catch (const RunStop& stop) {
        endEarly(file, out, rs, stop);
    }
    fillOutcome(out, rs, params);
    if (observer)
        observer->runEnded(out);
    return out;
}

} // namespace zmbr
