#pragma once
// zmbr --report FILE.mbr...: every file run as --batch runs it, and a calculation report of
// each written beside it as .pdf.

#include "batch_run.h"
#include "command_line.h"
#include "report/calculation_report.h"

#include <functional>
#include <iosfwd>
#include <string>

namespace zmbr {

// Draws the report into the PDF file, written whole, or says why not. The windows' side
// supplies it, so that the command line's core needs no toolkit.
using ReportWriter = std::function<std::optional<Failure>(const ReportDocument& document,
                                                          const std::string& pdfPath)>;

// PANEL.pdf beside PANEL.mbr.
std::string reportPathFor(const std::string& parameterFile);

// The report of one parameter file after its batch run: the file read again for its inputs,
// the result file read for its values and both for their checksums.
ReportDocument reportOfRun(const std::string& parameterFile, const BatchResult& run,
                           const LocalDateTime& date, const SignOff& signOff = {});

// Runs the files and writes their reports; returns the exit status of the runs, or 2 when a
// report cannot be written.
int runReports(const CommandLine& cl, std::ostream& out, std::ostream& err,
               const ReportWriter& write);

} // namespace zmbr
