#include "platform/text_encoding.h"

#include <cerrno>
#include <iconv.h>

namespace zmbr {

namespace {

// Converts with glibc iconv; an unconvertible input sequence of `badLength(in)` bytes
// becomes "?".
template <typename SkipFn>
std::string convert(const char* to, const char* from, std::string_view in, SkipFn badLength) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(in);
    std::string out;
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buf[256];
    while (srcLeft > 0) {
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (rc == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            std::size_t skip = badLength(std::string_view(src, srcLeft));
            out.push_back('?');
            src += skip;
            srcLeft -= skip;
        }
    }
    iconv_close(cd);
    return out;
}

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

} // namespace

std::string utf8ToCp932(std::string_view utf8) {
    return convert("CP932", "UTF-8", utf8, [](std::string_view rest) {
        std::size_t n = utf8SequenceLength(static_cast<unsigned char>(rest[0]));
        return n <= rest.size() ? n : rest.size();
    });
}

std::string cp932ToUtf8(std::string_view cp932) {
    return convert("UTF-8", "CP932", cp932, [](std::string_view rest) {
        unsigned char lead = static_cast<unsigned char>(rest[0]);
        bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
        return doubleByte && rest.size() >= 2 ? std::size_t{2} : std::size_t{1};
    });
}

bool isValidCp932(std::string_view bytes) {
    bool valid = true;
    convert("UTF-8", "CP932", bytes, [&valid](std::string_view rest) {
        valid = false;
        return rest.size();
    });
    return valid;
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
