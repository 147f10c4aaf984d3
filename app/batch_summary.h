#pragma once
// The summary table of a batch: every file run as --batch runs it, its result file read back,
// and one CSV row per file.

#include "command_line.h"
#include "study/summary_table.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace zmbr {

// Runs the files as --batch does and reads each result file back as soon as its run has
// ended; with `removeFiles`, the parameter and result files are then removed.
std::vector<SummaryEntry> runForSummary(const std::vector<std::string>& files, int jobs,
                                        bool removeFiles, std::ostream& out, std::ostream& err,
                                        int& exitCode);

// zmbr --batch --summary OUT.csv FILE...
int runBatchWithSummary(const CommandLine& cl, std::ostream& out, std::ostream& err);

} // namespace zmbr
