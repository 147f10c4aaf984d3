#pragma once
// The windows and the pictures live in a module of their own, loaded only when a command
// needs them: a run without windows does not pay for loading the toolkit.

#include "platform/failure.h"
#include "report/calculation_report.h"
#include "run/result_reading.h"
#include "study/parameter_study.h"

#include <iosfwd>
#include <string>

namespace zmbr::windows {

// The parameter window, as the program starts it (see windows_main.h).
int run(int& argc, char** argv, const std::string& screenshotPath, const std::string& openPath);

// A study's chart as SVG and PNG (see figure_commands.h), or why it is not written.
std::optional<Failure> writeStudyChart(const StudyResults& results, const std::string& svgPath,
                                       const std::string& pngPath);

// zmbr --plot, once its files are read (see figure_commands.h).
int plot(const PlotCurves& curves, bool strainCurve, const std::string& outPath, std::ostream& err);

} // namespace zmbr::windows

// The module's entry points, looked up by name.
extern "C" {
int zmbr_windows_run(int* argc, char** argv, const std::string* screenshotPath,
                     const std::string* openPath);
void zmbr_windows_study_chart(const zmbr::StudyResults* results, const std::string* svgPath,
                              const std::string* pngPath, std::string* error);
int zmbr_windows_plot(const zmbr::PlotCurves* curves, bool strainCurve, const std::string* outPath,
                      std::ostream* err);
}
