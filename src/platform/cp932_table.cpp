#include "platform/cp932_table.h"

#include <array>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace zmbr::cp932 {

namespace {

// cp932.map, as the build embeds it; its first lines say how it reads.
constexpr std::string_view kMap =
#include "platform/cp932_map.inc"
    ;

struct Tables {
    std::array<std::uint16_t, 0x10000> decode;
    std::array<std::uint16_t, 0x10000> encode;          // code points beyond U+FFFF have no code
    std::vector<std::pair<char32_t, char32_t>> dropped; // first and last code point
};

// A hexadecimal number at the start of `text`, which it leaves after the number.
std::uint32_t takeHex(std::string_view& text) {
    std::uint32_t value = 0;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        if (digit < 0)
            break;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    text.remove_prefix(i);
    return value;
}

// "CP" or "CP+N": the first code point and how many follow it.
std::pair<std::uint32_t, std::uint32_t> takeRun(std::string_view& text) {
    const std::uint32_t first = takeHex(text);
    std::uint32_t more = 0;
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        more = takeHex(text);
    }
    return {first, more};
}

void skipBlanks(std::string_view& text) {
    while (!text.empty() && text[0] == ' ')
        text.remove_prefix(1);
}

// An encoding line, "=CP CODE" or "=CP+N -".
void readEncodingLine(std::string_view line, Tables& t) {
    const auto [first, more] = takeRun(line);
    skipBlanks(line);
    if (!line.empty() && line[0] == '-')
        t.dropped.emplace_back(first, first + more);
    else if (first < t.encode.size())
        t.encode[first] = static_cast<std::uint16_t>(takeHex(line));
}

// A decoding line, "CODE CP CP+N ...".
void readDecodingLine(std::string_view line, Tables& t, std::array<bool, 0x10000>& encoded) {
    std::uint32_t code = takeHex(line);
    for (skipBlanks(line); !line.empty(); skipBlanks(line)) {
        const auto [first, more] = takeRun(line);
        for (std::uint32_t cp = first; cp <= first + more && code < t.decode.size(); ++cp) {
            t.decode[code] = static_cast<std::uint16_t>(cp);
            // The first code of a code point is its code until an encoding line says otherwise.
            if (cp < t.encode.size() && !encoded[cp]) {
                t.encode[cp] = static_cast<std::uint16_t>(code);
                encoded[cp] = true;
            }
            ++code;
        }
    }
}

// The tables are filled in place: at 256 KiB they would not fit every stack.
std::unique_ptr<Tables> readMap() {
    auto tables = std::make_unique<Tables>();
    Tables& t = *tables;
    t.decode.fill(kNoCode);
    t.encode.fill(kNoCode);
    auto encoded = std::make_unique<std::array<bool, 0x10000>>();
    std::vector<std::string_view> encodingLines;
    for (std::string_view rest = kMap; !rest.empty();) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '=')
            encodingLines.push_back(line.substr(1));
        else
            readDecodingLine(line, t, *encoded);
    }
    for (std::string_view line : encodingLines)
        readEncodingLine(line, t);
    return tables;
}

const Tables& tables() {
    static const std::unique_ptr<Tables> t = readMap();
    return *t;
}

} // namespace

std::uint16_t decode(unsigned code) {
    return code < 0x10000 ? tables().decode[code] : kNoCode;
}

std::uint16_t encode(char32_t codePoint) {
    return codePoint < 0x10000 ? tables().encode[codePoint] : kNoCode;
}

bool dropped(char32_t codePoint) {
    for (const auto& [first, last] : tables().dropped)
        if (codePoint >= first && codePoint <= last)
            return true;
    return false;
}

} // namespace zmbr::cp932
