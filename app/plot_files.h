#pragma once
// The result files of --plot, read before anything is drawn: a file that cannot be read is
// refused at the cost of --batch, before the windows module is loaded.

#include "run/result_reading.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zmbr {

// Reads every file through the result-file reader; on the first that cannot be read, says why
// on `err` and returns nothing.
std::optional<PlotCurves> readPlotFiles(const std::vector<std::string>& files, std::ostream& err);

} // namespace zmbr
