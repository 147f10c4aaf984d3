#include "platform/quoted_line.h"

#include "platform/text_encoding.h"

#include <cstdio>

namespace zmbr {

namespace {

// One character of the line: its bytes, and its decoded form when it decodes.
struct Character {
    std::size_t length = 1;
    bool decodes = false;
    std::string utf8;
};

std::size_t utf8SequenceLength(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

Character nextCharacter(std::string_view rest, bool utf8) {
    const auto lead = static_cast<unsigned char>(rest[0]);
    if (lead < 0x80)
        return {1, true, std::string(1, rest[0])};
    if (utf8) {
        const std::string_view bytes = rest.substr(0, utf8SequenceLength(lead));
        if (bytes.size() > 1 && isValidUtf8(bytes))
            return {bytes.size(), true, std::string(bytes)};
        return {};
    }
    const bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    const std::string_view bytes = rest.substr(0, doubleByte ? 2 : 1);
    if (isValidCp932(bytes))
        return {bytes.size(), true, cp932ToUtf8(bytes)};
    return {}; // the lead byte alone is shown; what follows is read afresh
}

unsigned codePoint(const std::string& utf8) {
    const auto b = [&utf8](std::size_t i) { return static_cast<unsigned char>(utf8[i]) & 0x3Fu; };
    switch (utf8.size()) {
    case 1:
        return static_cast<unsigned char>(utf8[0]);
    case 2:
        return (static_cast<unsigned char>(utf8[0]) & 0x1Fu) << 6 | b(1);
    case 3:
        return (static_cast<unsigned char>(utf8[0]) & 0x0Fu) << 12 | b(1) << 6 | b(2);
    default:
        return (static_cast<unsigned char>(utf8[0]) & 0x07u) << 18 | b(1) << 12 | b(2) << 6 | b(3);
    }
}

// Characters that move the cursor, ring, switch a terminal's mode or hide or reorder text.
bool invisible(unsigned cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || (cp >= 0x200B && cp <= 0x200F) ||
           (cp >= 0x2028 && cp <= 0x202E) || (cp >= 0x2060 && cp <= 0x2069) || cp == 0xFEFF;
}

std::string escaped(const char* format, unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

std::string quotedLine(std::string_view bytes, bool utf8) {
    std::string quote = "\"";
    std::size_t width = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const Character c = nextCharacter(bytes.substr(i), utf8);
        std::string shown = c.utf8;
        if (!c.decodes)
            shown = escaped("\\x%02X", static_cast<unsigned char>(bytes[i]));
        else if (const unsigned cp = codePoint(c.utf8); invisible(cp))
            shown = escaped(cp < 0x80 ? "\\x%02X" : "\\u%04X", cp);
        // A character shown as itself is one wide, an escape as wide as it is long.
        const std::size_t shownWidth = shown == c.utf8 ? 1 : shown.size();
        if (width + shownWidth > kQuoteWidth)
            return quote + "…\"";
        quote += shown;
        width += shownWidth;
        i += c.length;
    }
    return quote + "\"";
}

bool readsAsUtf8(std::string_view bytes) {
    return !isValidCp932(bytes) && isValidUtf8(bytes);
}

} // namespace zmbr
