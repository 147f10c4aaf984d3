#pragma once
// A TrueType face read from its file's bytes: what the report's layout measures (advance
// widths through the character map) and what its PDF embeds (the face cut down to the glyphs a
// document uses, with their numbers kept).

#include "platform/failure.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace zmbr {

class TrueTypeFont {
  public:
    // The face in `bytes` (a .ttf file; a collection's first face is not read), or why not.
    static Expected<TrueTypeFont> read(std::string bytes, std::string name);

    const std::string& name() const { return name_; } // the face's PostScript name
    int unitsPerEm() const { return unitsPerEm_; }
    int ascent() const { return ascent_; }   // in font units, above the baseline
    int descent() const { return descent_; } // in font units, below the baseline (positive)
    int capHeight() const { return capHeight_; }
    const std::vector<int>& box() const { return box_; } // xMin, yMin, xMax, yMax

    // The glyph of a code point, 0 where the face has none.
    std::uint16_t glyphOf(char32_t c) const;
    int advance(std::uint16_t glyph) const; // in font units

    // The face as a file holding only `glyphs` (and the parts of composite ones): the other
    // glyphs are left empty, so glyph numbers stay as they are.
    std::string subset(const std::set<std::uint16_t>& glyphs) const;

  private:
    struct Table {
        std::uint32_t offset = 0, length = 0;
    };
    Table table(const char* tag) const;
    std::uint32_t glyphOffset(std::uint16_t glyph) const;

    std::string bytes_, name_;
    std::vector<std::pair<std::string, Table>> tables_;
    int unitsPerEm_ = 1000, ascent_ = 0, descent_ = 0, capHeight_ = 0;
    std::vector<int> box_;
    int glyphCount_ = 0, longMetrics_ = 0, locaFormat_ = 0;
    std::uint32_t cmap4_ = 0;  // offset of the Unicode character map (format 4), 0 if none
    std::uint32_t cmap12_ = 0; // offset of the full Unicode map (format 12), 0 if none
};

// Code points of UTF-8 text; a malformed byte reads as U+FFFD.
std::u32string codePointsOf(std::string_view utf8);

} // namespace zmbr
