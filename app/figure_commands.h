#pragma once
// The commands that draw pictures, without a display: a study's chart, --plot and the
// reports.

#include "command_line.h"
#include "plot_files.h"
#include "report/calculation_report.h"
#include "study/parameter_study.h"

#include <iosfwd>
#include <string>

namespace zmbr {

// The study's chart as SVG and PNG, each written whole; an error text, or "".
std::string writeStudyChart(const StudyResults& results, const std::string& svgPath,
                            const std::string& pngPath);

// A calculation report as a PDF file, written whole; an error text, or "".
std::string writeReport(const ReportDocument& document, const std::string& pdfPath);

// zmbr --plot A.TGC ... -o OUT: the curves of the result files, already read, in one figure.
int runPlot(const CommandLine& cl, const PlotCurves& curves, std::ostream& err);

} // namespace zmbr
