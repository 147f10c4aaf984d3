#pragma once
// The program with its windows.

#include <string>

namespace zmbr {

// Opens the parameter window, with the parameter file `openPath` read into it when one is
// given, and runs until the program ends; returns the exit status. With a screenshot path,
// shows the window, saves a picture of it as PNG and ends.
int runWindows(int& argc, char** argv, const std::string& screenshotPath,
               const std::string& openPath = "");

} // namespace zmbr
