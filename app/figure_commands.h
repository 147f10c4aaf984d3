#pragma once
// The commands that draw pictures, without a display.

#include "command_line.h"

#include <iosfwd>
#include <string>

namespace zmbr {

// zmbr --plot A.TGC ... -o OUT: the curves of the result files in one figure.
int runPlot(const CommandLine& cl, std::ostream& out, std::ostream& err);

} // namespace zmbr
