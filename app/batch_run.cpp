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

namespace {} // namespace

int exitCodeOf(RunEnd end) {
    switch (end) {
    case RunEnd::Failure:
        return 0;
    case RunEnd::StepLimit:
    case RunEnd::Stopped:
    case RunEnd::Cancelled:
    case RunEnd::WriteFailed:
    case RunEnd::Refused:
        return 1;
    case RunEnd::OpenFailed:
    case RunEnd::ResultUnwritable:
    case RunEnd::Unreadable:
        break;
    }
    return 2;
}

std::string summaryLine(const std::string& name, const RunOutcome& o, double seconds) {
    if (!runStarted(o.end) && o.end != RunEnd::OpenFailed)
        return name + ": not run, " + endWords(o);
    const std::string& resultName = name;
    char time[32];
    std::snprintf(time, sizeof time, "%.3f s", seconds);
    return resultName + ": " + std::to_string(o.steps) + " steps, " + endWords(o) + ", τxy max " +
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
        result.outcome.end = refusal->end;
        result.outcome.cause = refusal->message;
        result.outcome.message = refusal->message;
    } else {
        RunSettings settings;
        settings.clock = &commandLineClock();
        result.outcome = runAnalysis(in, settings);
        result.seconds = secondsSince(start);
    }
    result.exitCode = exitCodeOf(result.outcome.end);
    result.message = result.outcome.message;
    result.summary = summaryLine(in.outputFileName, result.outcome, result.seconds);
    result.resultFile = in.outputFileName;
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
        result.outcome.end = RunEnd::Unreadable;
        result.outcome.cause = failure->message;
        result.exitCode = exitCodeOf(result.outcome.end);
        result.message = "zmbr: " + path + ": " + failure->message;
        result.summary = summaryLine(path, result.outcome, 0);
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
