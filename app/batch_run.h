#pragma once
// Runs panels without windows, as Execute would, and reports each in one summary line.

#include "command_line.h"
#include "run/run_end.h"

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace zmbr {

// One panel's run as the batch reports it.
struct BatchResult {
    int exitCode = 0;    // 0 failure end, 1 step limit or orderly stop, 2 file error
    std::string summary; // one line for stdout
    std::string message; // what the windows would show in a box; for stderr
    // For the summary table.
    std::string resultFile; // the result file's name; empty when the file could not be read
    RunOutcome outcome;     // how the run ended, or why it did not start
    double seconds = 0;
};

// The summary line of a run: the result file's name (the parameter file's, when it could not be
// read) and how the run ended, or why it did not start.
std::string summaryLine(const std::string& name, const RunOutcome& outcome, double seconds);

// Exit status of a run's end.
int exitCodeOf(RunEnd end);

// The default panel, with its result "default.TGC" in the current folder.
BatchResult runDefaultPanel();

// A parameter file read as Open would and run as Execute would; the result goes beside it.
BatchResult runParameterFile(const std::string& path);

// A line on `err` when SOURCE_DATE_EPOCH is set but names no moment.
void warnOfMalformedSourceDateEpoch(std::ostream& err);

// Called on the worker that ran files[index], as soon as its run has ended.
using AfterRun = std::function<void(std::size_t index, const BatchResult&)>;

// Runs the files on up to `jobs` workers (see ordered_jobs.h) and reports each in the order of the
// files; returns the worst exit status.
int runFiles(const std::vector<std::string>& files, int jobs, std::ostream& out, std::ostream& err,
             const AfterRun& afterRun = {});

// Runs what the command line asks for and returns the process's exit status.
int runBatch(const CommandLine& cl, std::ostream& out, std::ostream& err);

} // namespace zmbr
