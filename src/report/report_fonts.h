#pragma once
// The faces a report is set in, read once from the system's font files: Liberation Sans, its
// bold and Liberation Mono for the text, and IPAGothic for the characters they lack (a comment
// in Japanese). The layout measures with them and the PDF embeds them, so what is measured is
// what is printed.

#include "platform/file_system.h"
#include "report/truetype_font.h"
#include "study/drawing.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zmbr {

// A stretch of a text that one face prints.
struct FaceRun {
    int font; // index into ReportFonts::fonts()
    std::vector<std::uint16_t> glyphs;
    std::u32string chars; // one per glyph
    double width;         // at size 1
};

class ReportFonts {
  public:
    // The faces from the folders where Debian installs them, or why they cannot be read.
    static Expected<std::shared_ptr<const ReportFonts>> load(FileSystem& fs);
    // The files looked for, in the order of Face, then the fallback.
    static const std::vector<std::string>& fileNames();

    explicit ReportFonts(std::vector<TrueTypeFont> fonts) : fonts_(std::move(fonts)) {}

    const std::vector<TrueTypeFont>& fonts() const { return fonts_; }
    // The text in a face, split where the fallback face takes over.
    std::vector<FaceRun> runs(Face face, std::string_view utf8) const;
    double width(Face face, double size, std::string_view utf8) const;
    TextWidth measure() const;
    double ascent(Face face) const;  // per unit of size
    double descent(Face face) const; // per unit of size, positive

  private:
    std::vector<TrueTypeFont> fonts_; // Sans, SansBold, Mono, then the fallback if any
};

} // namespace zmbr
