#include "batch_run.h"
#include "command_line.h"
#include "plot_files.h"
#include "report/page_layout.h"
#include "report_command.h"
#include "study_command.h"
#include "ui/windows_module.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    auto cl = zmbr::parseCommandLine(args);
    if (!cl) {
        std::cerr << "zmbr: " << cl.failure().message << "\n\n" << zmbr::usageText();
        return 2;
    }
    if (cl->help) {
        std::cout << zmbr::usageText();
        return 0;
    }
    // Reports are laid out and written by the core, with or without the windows.
    const zmbr::ReportWriter writeReport = [](const zmbr::ReportDocument& d,
                                              const std::string& path) {
        return zmbr::writeReportPdf(d, zmbr::realFileSystem(), path);
    };
    if (cl->windows())
        return zmbr::windows::run(argc, argv, cl->screenshot, cl->open);
    if (!cl->study.empty())
        return zmbr::runStudy(*cl, std::cout, std::cerr, zmbr::windows::writeStudyChart,
                              writeReport);
    if (cl->report)
        return zmbr::runReports(*cl, std::cout, std::cerr, writeReport);
    if (cl->plot) {
        const auto curves = zmbr::readPlotFiles(cl->files, std::cerr);
        return curves
                   ? zmbr::windows::plot(*curves, cl->curve == "eps1-eps2", cl->plotOut, std::cerr)
                   : 2;
    }
    return zmbr::runBatch(*cl, std::cout, std::cerr);
}
