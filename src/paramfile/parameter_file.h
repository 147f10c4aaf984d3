#pragma once
// Parameter files: a picture of the parameter window, one field's text per line. Written in
// the version-3 layout; read in the version-3, version-2 and headerless layouts.

#include "input/parameter_sheet.h"
#include "platform/file_system.h"

#include <optional>
#include <string>
#include <vector>

namespace zmbr {

// Why a file could not be read, as the user reads it: "Line 3: ..." or a sentence about the
// file as a whole.
struct ReadFailure {
    std::string message;
};

// The longest line a parameter file may hold, far longer than any comment: reading holds no
// more than this of any line.
inline constexpr std::size_t kMaxLineBytes = 65536;

// Replaces the sheet's texts with the file's, each through its change handling, and sets
// outputFileName to the path. Only the lines its layout uses are read, and they are checked
// first: on a failure nothing in the sheet changes. Anything but a normal file is refused
// before it is opened.
std::optional<ReadFailure> readParameterFile(ParameterSheet& sheet, FileSystem& fs,
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
