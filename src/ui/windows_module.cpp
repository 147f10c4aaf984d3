// The entry points of the windows module: each calls the command it is named after.

#include "ui/windows_module.h"

#include "ui/figure_commands.h"
#include "ui/windows_main.h"

#define ZMBR_ENTRY extern "C" __attribute__((visibility("default")))

ZMBR_ENTRY int zmbr_windows_run(int* argc, char** argv, const std::string* screenshotPath,
                                const std::string* openPath) {
    return zmbr::runWindows(*argc, argv, *screenshotPath, *openPath);
}

ZMBR_ENTRY void zmbr_windows_study_chart(const zmbr::StudyResults* results,
                                         const std::string* svgPath, const std::string* pngPath,
                                         std::string* error) {
    const auto failure = zmbr::writeStudyChart(*results, *svgPath, *pngPath);
    *error = failure ? failure->message : "";
}

ZMBR_ENTRY int zmbr_windows_plot(const zmbr::PlotCurves* curves, bool strainCurve,
                                 const std::string* outPath, std::ostream* err) {
    return zmbr::runPlot(*curves, strainCurve, *outPath, *err);
}
