#pragma once
// Files that are opened as a panel by mistake, told by their first bytes: a result file, a
// picture, a PDF document, an archive. Reading a panel names such a file by its kind instead
// of quoting a line of it.

#include "platform/file_system.h"

#include <string>
#include <string_view>

namespace zmbr {

// The first line of a result file (in UTF-8; the program writes it in CP932).
inline constexpr std::string_view kResultTitle = "τ-γ relationship created by ZMBR3";

enum class FileKind { Other, ResultFile, Picture, Pdf, Archive };

struct RecognizedFile {
    FileKind kind = FileKind::Other;
    std::string format; // "PNG", "zip", ...: a picture's or an archive's
};

// Enough of a file's start to tell its kind.
inline constexpr std::size_t kFileKindBytes = 512;

RecognizedFile recognizeFile(std::string_view firstBytes);

// The kind of the file at `path` by its first bytes; Other when it cannot be read.
RecognizedFile recognizeFile(FileSystem& fs, const std::string& path);

// "This is a result file, not a parameter file.": why the file is not read as a panel.
std::string notAPanelText(const RecognizedFile& file);

} // namespace zmbr
