#pragma once
// Parameter files: a picture of the parameter window, one field's text per line. Written in
// the version-3 layout; read in the version-3, version-2 and headerless layouts.

#include "input/parameter_sheet.h"
#include "platform/guarded_reading.h"

#include <optional>
#include <string>
#include <vector>

namespace zmbr {

// The longest layout: version 3 with ten rows. Lines beyond a layout are never read.
inline constexpr std::size_t kMaxParameterFileLines = 13 + 6 * kMaxRows;

// Replaces the sheet's texts with the file's, each through its change handling, and sets
// outputFileName to the path. Only the lines its layout uses are read, and they are checked
// first: on a failure nothing in the sheet changes. Anything but a normal file is refused
// before it is opened.
std::optional<Failure> readParameterFile(ParameterSheet& sheet, FileSystem& fs,
                                         const std::string& path);

// Writes the sheet in the version-3 layout and sets outputFileName to the path. The lines go
// to a file beside the target that replaces it only once complete, so a failure leaves the
// old file as it was. Returns 0 or the errno of the failure.
int writeParameterFile(ParameterSheet& sheet, FileSystem& fs, const std::string& path);

// The message of a failed save: "Error. Try again." and the code, with no blank between.
std::string saveFailureMessage(int code);

// The version-3 lines of the sheet, without line ends, in UTF-8.
std::vector<std::string> parameterFileLines(const ParameterSheet& sheet);

} // namespace zmbr
