#include "batch_run.h"
#include "platform/error_text.h"

#include "batch_summary.h"
#include "input/parameter_sheet.h"
#include "numeric/number_text.h"
#include "ordered_jobs.h"
#include "paramfile/parameter_file.h"
#include "platform/clock.h"
#include "run/analysis_run.h"
#include "run/execute_command.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ostream>

namespace zmbr {

namespace {

// The guard's reason from the run's message, whose whole sentence goes to stderr: what follows
// "The analysis stopped at step k: ", without the closing period.
std::string stopReason(std::string message) {
    if (const auto colon = message.find(": "); colon != std::string::npos)
        message.erase(0, colon + 2);
    if (message.ends_with('.'))
        message.pop_back();
    return message;
}

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
        return "stopped (" + stopReason(o.message) + ")";
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

namespace {

using Stopwatch = std::chrono::steady_clock;

double secondsSince(Stopwatch::time_point start) {
    return std::chrono::duration<double>(Stopwatch::now() - start).count();
}

// Execute on a filled sheet, then the run.
BatchResult executeSheet(ParameterSheet& sheet, Stopwatch::time_point start) {
    PanelInput& in = sheet.input();
    BatchResult result;
    if (auto refusal = prepareExecute(sheet, realFileSystem())) {
        result.exitCode = refusal->resultFileUnwritable ? 2 : 1;
        result.message = refusal->message;
        result.summary = in.outputFileName + ": not run, " +
                         (refusal->resultFileUnwritable ? "the result file cannot be written"
                                                        : refusal->message);
        result.resultFile = in.outputFileName;
        return result;
    }
    RunSettings settings;
    settings.clock = &commandLineClock();
    RunOutcome outcome = runAnalysis(in, settings);
    result.exitCode = exitCodeOf(outcome.end);
    result.message = outcome.message;
    result.seconds = secondsSince(start);
    result.summary = summaryLine(in.outputFileName, outcome, result.seconds);
    result.resultFile = in.outputFileName;
    result.outcome = outcome;
    return result;
}

void report(const BatchResult& r, std::ostream& out, std::ostream& err) {
    if (!r.message.empty())
        err << r.message << '\n';
    out << r.summary << '\n';
}

} // namespace

// Each result is reported as soon as it and every one before it are done, so the lines come
// out in the order of the files.
int runFiles(const std::vector<std::string>& files, int jobs, std::ostream& out, std::ostream& err,
             const AfterRun& afterRun) {
    std::vector<BatchResult> results(files.size());
    int exitCode = 0;
    auto run = [&](std::size_t i) {
        results[i] = runParameterFile(files[i]);
        if (afterRun)
            afterRun(i, results[i]);
    };
    auto reportInOrder = [&](std::size_t i) {
        report(results[i], out, err);
        exitCode = std::max(exitCode, results[i].exitCode);
    };
    runInOrder(files.size(), jobs, run, reportInOrder);
    return exitCode;
}

namespace {

int convertFile(const std::string& from, const std::string& to, std::ostream& err) {
    ParameterSheet sheet;
    sheet.load();
    if (auto failure = readParameterFile(sheet, realFileSystem(), from)) {
        err << "zmbr: " << from << ": " << failure->message << '\n';
        return 2;
    }
    if (int error = writeParameterFile(sheet, realFileSystem(), to)) {
        err << "zmbr: " << to << ": " << saveFailureMessage(error) << " (" << errorText(error)
            << ")\n";
        return 2;
    }
    return 0;
}

} // namespace

BatchResult runDefaultPanel() {
    const auto start = Stopwatch::now();
    ParameterSheet sheet;
    sheet.load();
    return executeSheet(sheet, start);
}

BatchResult runParameterFile(const std::string& path) {
    const auto start = Stopwatch::now();
    ParameterSheet sheet;
    sheet.load();
    if (auto failure = readParameterFile(sheet, realFileSystem(), path)) {
        BatchResult result;
        result.exitCode = 2;
        result.message = "zmbr: " + path + ": " + failure->message;
        result.summary = path + ": not run, the file cannot be read";
        result.unreadable = true;
        return result;
    }
    sheet.input().paramFileName = path;
    return executeSheet(sheet, start);
}

void warnOfMalformedSourceDateEpoch(std::ostream& err) {
    const std::string value = malformedSourceDateEpoch();
    if (!value.empty())
        err << "zmbr: SOURCE_DATE_EPOCH=" << value
            << " is not a whole number of seconds since 1970; the result files take the "
               "system's date and time\n";
}

int runBatch(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    if (cl.convert)
        return convertFile(cl.convertFrom, cl.convertTo, err);
    warnOfMalformedSourceDateEpoch(err);
    if (!cl.summary.empty())
        return runBatchWithSummary(cl, out, err);
    if (!cl.files.empty()) {
        return runFiles(cl.files, cl.jobs > 0 ? cl.jobs : defaultJobs(), out, err);
    }
    BatchResult r = runDefaultPanel();
    report(r, out, err);
    return r.exitCode;
}

} // namespace zmbr
