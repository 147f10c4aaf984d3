#include "plot_files.h"

#include "platform/file_system.h"

#include <ostream>

namespace zmbr {

std::optional<PlotCurves> readPlotFiles(const std::vector<std::string>& files, std::ostream& err) {
    PlotCurves curves;
    for (const std::string& file : files) {
        ResultCurve curve;
        if (auto failure = readResultFile(realFileSystem(), file, curve)) {
            err << "zmbr: " << file << ": " << failure->message << "\n";
            return std::nullopt;
        }
        curves.emplace_back(file, std::move(curve));
    }
    return curves;
}

} // namespace zmbr
