#include "batch_run.h"

#include "input/execute_command.h"
#include "input/number_text.h"
#include "solver/analysis_run.h"

#include <chrono>
#include <cstdio>
#include <ostream>

namespace zmbr {

namespace {

std::string endText(const RunOutcome& o) {
    switch (o.end) {
    case RunEnd::Failure: {
        std::string rows;
        int count = 0;
        for (int i = 0; i < kMaxRows; ++i)
            if (o.ruptured[static_cast<std::size_t>(i)]) {
                rows += (count++ ? ", " : "") + std::to_string(i + 1);
            }
        std::string rupture =
            count == 0 ? "" : (count == 1 ? "rupture of row " : "rupture of rows ") + rows;
        if (o.concreteNG && count > 0)
            return "concrete NG and " + rupture;
        if (o.concreteNG)
            return "concrete NG";
        return rupture;
    }
    case RunEnd::StepLimit:
        return "step limit";
    case RunEnd::Stopped:
        return "stopped: " + o.message;
    case RunEnd::Cancelled:
        return "stopped: cancelled";
    case RunEnd::WriteFailed:
        return "stopped: the result file could not be written";
    case RunEnd::OpenFailed:
        return "stopped: the result file could not be opened";
    }
    return "";
}

} // namespace

int exitCodeOf(RunEnd end) {
    switch (end) {
    case RunEnd::Failure:
        return 0;
    case RunEnd::OpenFailed:
        return 2;
    default:
        return 1;
    }
}

std::string summaryLine(const std::string& resultName, const RunOutcome& o, double seconds) {
    char time[32];
    std::snprintf(time, sizeof time, "%.3f s", seconds);
    return resultName + ": " + std::to_string(o.steps) + " steps, " + endText(o) + ", τxy max " +
           formatNumber(o.tauMax, "##0.000") + " MPa, " + time;
}

BatchResult runDefaultPanel() {
    const auto start = std::chrono::steady_clock::now();
    PanelInput in = PanelInput::defaults();
    BatchResult result;
    in.outputFileName = resultFileName(in.outputFileName);
    if (int error = writeTestOutput(realFileSystem(), in.outputFileName)) {
        result.exitCode = 2;
        result.message = testOutputMessage(error);
        result.summary = in.outputFileName + ": not run, the result file cannot be written";
        return result;
    }
    if (auto reason = refusalReason(in)) {
        result.exitCode = 1;
        result.message = *reason;
        result.summary = in.outputFileName + ": not run, " + *reason;
        return result;
    }
    std::array<std::string, kMaxRows> failureTexts;
    failureTexts.fill("rupture");
    deriveRowValues(in, failureTexts);
    RunOutcome outcome = runAnalysis(in);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.exitCode = exitCodeOf(outcome.end);
    result.message = outcome.message;
    result.summary = summaryLine(in.outputFileName, outcome, seconds);
    return result;
}

int runBatch(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    if (!cl.files.empty()) {
        err << "zmbr: this build cannot read parameter files yet\n";
        return 2;
    }
    BatchResult r = runDefaultPanel();
    if (!r.message.empty())
        err << r.message << '\n';
    out << r.summary << '\n';
    return r.exitCode;
}

} // namespace zmbr
