#include "platform/text_encoding.h"

#include "platform/cp932_table.h"

#include <algorithm>
#include <cstdint>

namespace zmbr {

namespace {

std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// The character at the start of `s` and its length, or length 0 where no character starts:
// an overlong form, a surrogate, a value beyond U+10FFFF or a sequence cut short.
std::size_t decodeUtf8(std::string_view s, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(s[0]);
    const std::size_t n = lead < 0x80                   ? 1
                          : lead >= 0xC2 && lead < 0xF8 ? utf8SequenceLength(lead)
                                                        : 0;
    if (n == 0 || n > s.size())
        return 0;
    cp = n == 1 ? lead : lead & (0x7Fu >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (c & 0x3Fu);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || (cp >= 0xD800 && cp <= 0xDFFF) ||
        cp > 0x10FFFF)
        return 0;
    return n;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// The code point of the CP932 character at `s`'s start, and its length (0 when none starts).
std::size_t decodeCp932(std::string_view s, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(s[0]);
    if ((cp = cp932::decode(lead)) != cp932::kNoCode)
        return 1;
    if (s.size() < 2)
        return 0;
    cp = cp932::decode(lead * 256u + static_cast<unsigned char>(s[1]));
    return cp != cp932::kNoCode ? 2 : 0;
}

} // namespace

std::string utf8ToCp932(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const std::size_t n = decodeUtf8(utf8.substr(i), cp);
        const std::uint16_t code = n > 0 ? cp932::encode(cp) : cp932::kNoCode;
        if (code != cp932::kNoCode) {
            if (code > 0xFF)
                out.push_back(static_cast<char>(code >> 8));
            out.push_back(static_cast<char>(code & 0xFF));
            i += n;
        } else if (n > 0 && cp932::dropped(cp)) {
            i += n;
        } else {
            // What cannot be converted becomes "?", a broken sequence with all it claims.
            out.push_back('?');
            const std::size_t claimed = utf8SequenceLength(static_cast<unsigned char>(utf8[i]));
            i += std::min(claimed, utf8.size() - i);
        }
    }
    return out;
}

std::string cp932ToUtf8(std::string_view cp932) {
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    for (std::size_t i = 0; i < cp932.size();) {
        char32_t cp = 0;
        if (const std::size_t n = decodeCp932(cp932.substr(i), cp)) {
            appendUtf8(out, cp);
            i += n;
            continue;
        }
        // A byte that leads a pair takes its follower into the "?" with it.
        out.push_back('?');
        const auto lead = static_cast<unsigned char>(cp932[i]);
        const bool leadsPair = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
        i += leadsPair && cp932.size() - i >= 2 ? 2 : 1;
    }
    return out;
}

bool isValidCp932(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const std::size_t n = decodeCp932(bytes.substr(i), cp);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = utf8SequenceLength(c);
        if (c >= 0x80 && n == 1)
            return false;
        if (i + n > s.size())
            return false;
        unsigned cp = n == 1 ? c : n == 2 ? (c & 0x1Fu) : n == 3 ? (c & 0x0Fu) : (c & 0x07u);
        for (std::size_t k = 1; k < n; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3Fu);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
        if ((n == 2 && cp < 0x80) || (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) ||
            (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        i += n;
    }
    return true;
}

std::size_t utf8Length(std::string_view s) {
    std::size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    return n;
}

std::string_view dropLastUtf8Chars(std::string_view s, std::size_t count) {
    std::size_t end = s.size();
    while (count > 0 && end > 0) {
        --end;
        while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80)
            --end;
        --count;
    }
    return s.substr(0, end);
}

} // namespace zmbr
