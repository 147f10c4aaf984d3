// A program built without the windows (the clang and WebAssembly builds): the commands that
// need them say so and end with the usage status. A study's chart is drawn by the core's own
// painter as SVG alone, in the report's faces; the rest of the command line is the same.

#include "platform/error_text.h"
#include "report/drawing_svg.h"
#include "report/report_fonts.h"
#include "study/summary_table.h"
#include "ui/windows_module.h"

#include <iostream>

namespace zmbr::windows {

namespace {

constexpr const char* kNoWindows = "this build of zmbr has no windows and draws no pictures";

} // namespace

int run(int&, char**, const std::string&, const std::string&) {
    std::cerr << "zmbr: " << kNoWindows << "; run files with --batch\n";
    return 2;
}

std::optional<Failure> writeStudyChart(const StudyResults& results, const std::string& svgPath,
                                       const std::string&) {
    std::cerr << "zmbr: this build of zmbr has no windows: the study's chart is drawn as "
                 "chart.svg only\n";
    auto fonts = ReportFonts::load(realFileSystem());
    if (!fonts)
        return Failure{svgPath + ": the chart cannot be drawn: " + fonts.failure().message};
    WholeFile file(realFileSystem(), svgPath);
    if (int error = file.commit(studyChartSvg(results, (*fonts)->measure())))
        return Failure{svgPath + ": the picture cannot be written (" + errorText(error) + ")"};
    return std::nullopt;
}

int plot(const PlotCurves&, bool, const std::string&, std::ostream& err) {
    err << "zmbr: " << kNoWindows << "\n";
    return 2;
}

} // namespace zmbr::windows
