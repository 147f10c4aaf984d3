#pragma once
// zmbr --study FILE --vary NAME=FROM:TO:STEP ... --out DIR: one run for every combination of
// the varied values, a summary table and a design chart.

#include "command_line.h"
#include "report_command.h"
#include "study/parameter_study.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace zmbr {

// Draws the chart into the two files, each written whole, or says why not. The windows' side
// supplies it, so that the command line's core needs no toolkit.
using ChartWriter = std::function<std::optional<Failure>(
    const StudyResults&, const std::string& svgPath, const std::string& pngPath)>;

// Runs the study; returns the exit status (2 for a usage error, with nothing written). With
// --report, `writeReport` draws the study's report into DIR/report.pdf (or -o).
int runStudy(const CommandLine& cl, std::ostream& out, std::ostream& err,
             const ChartWriter& writeChart, const ReportWriter& writeReport = {});

} // namespace zmbr
