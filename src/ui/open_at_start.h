#pragma once
// zmbr FILE.mbr: the parameter window starts with the file opened.

#include "platform/file_system.h"
#include "ui/program_windows.h"

#include <string>

namespace zmbr {

// Reads the file into the parameter window as Open does after a double-click on it in the
// chooser: the current folder becomes the file's folder and paramFileName its path there, so
// Execute writes the result file beside it. A file that cannot be read shows its "Error" box
// over the window, whose fields keep what they held.
void openAtStart(ui::ProgramWindows& program, FileSystem& fs, const std::string& path);

} // namespace zmbr
