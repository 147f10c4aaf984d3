// A program built without the windows (the WebAssembly build): the commands that need them
// say so and end with the usage status; the rest of the command line is the same.

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

std::optional<Failure> writeStudyChart(const StudyResults&, const std::string&,
                                       const std::string&) {
    return Failure{std::string(kNoWindows) + ": the study's chart is not drawn"};
}

int plot(const PlotCurves&, bool, const std::string&, std::ostream& err) {
    err << "zmbr: " << kNoWindows << "\n";
    return 2;
}

} // namespace zmbr::windows
