#pragma once
// The commands that draw pictures, without a display: a study's chart, --plot and the
// reports.

#include "report/calculation_report.h"
#include "run/result_reading.h"
#include "study/parameter_study.h"

#include <iosfwd>
#include <string>

namespace zmbr {

// The study's chart as SVG and PNG, each written whole, or why it is not written.
std::optional<Failure> writeStudyChart(const StudyResults& results, const std::string& svgPath,
                                       const std::string& pngPath);

// A calculation report as a PDF file, written whole, or why it is not written.

// zmbr --plot A.TGC ... -o OUT: the curves of the result files, already read, in one figure:
// τ-γ, or ε2 against ε1 for the strain curve.
int runPlot(const PlotCurves& curves, bool strainCurve, const std::string& outPath,
            std::ostream& err);

} // namespace zmbr
