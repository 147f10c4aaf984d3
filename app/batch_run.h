#pragma once
// Runs panels without windows, as Execute would, and reports each in one summary line.

#include "command_line.h"
#include "solver/run_observer.h"

#include <iosfwd>
#include <string>

namespace zmbr {

// One panel's run as the batch reports it.
struct BatchResult {
    int exitCode = 0;    // 0 failure end, 1 step limit or orderly stop, 2 file error
    std::string summary; // one line for stdout
    std::string message; // what the windows would show in a box; for stderr
};

// The summary line of a finished run.
std::string summaryLine(const std::string& resultName, const RunOutcome& outcome, double seconds);

// Exit status of a run's end.
int exitCodeOf(RunEnd end);

// The default panel, with its result "default.TGC" in the current folder.
BatchResult runDefaultPanel();

// A parameter file read as Open would and run as Execute would; the result goes beside it.
BatchResult runParameterFile(const std::string& path);

// A line on `err` when SOURCE_DATE_EPOCH is set but names no moment.
void warnOfMalformedSourceDateEpoch(std::ostream& err);

// Runs what the command line asks for and returns the process's exit status.
int runBatch(const CommandLine& cl, std::ostream& out, std::ostream& err);

} // namespace zmbr
