// The program's own code page 932 tables against the C library's iconv "CP932", on every one-
// and two-byte sequence, every code point and random mixtures of broken and whole characters.

#include "platform/text_encoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#if __has_include(<iconv.h>)
#include <iconv.h>
#endif

namespace zmbr {
namespace {

#if __has_include(<iconv.h>)
// What the conversions did when they called iconv: an unconvertible sequence of
// `badLength(rest)` bytes becomes "?". `valid` tells whether there was none.
class IconvConversion {
  public:
    IconvConversion(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvConversion() {
        if (available())
            iconv_close(cd_);
    }
    bool available() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    std::string operator()(std::string in,
                           const std::function<std::size_t(std::string_view)>& badLength,
                           bool* valid = nullptr) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        char* src = in.data();
        std::size_t srcLeft = in.size();
        while (srcLeft > 0) {
            char buf[256];
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            const std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                const std::size_t skip = badLength(std::string_view(src, srcLeft));
                if (valid)
                    *valid = false;
                out.push_back('?');
                src += skip;
                srcLeft -= skip;
            }
        }
        return out;
    }

  private:
    iconv_t cd_;
};

std::size_t claimedUtf8Length(std::string_view rest) {
    const auto lead = static_cast<unsigned char>(rest[0]);
    const std::size_t n = lead < 0x80             ? 1
                          : (lead & 0xE0) == 0xC0 ? 2
                          : (lead & 0xF0) == 0xE0 ? 3
                          : (lead & 0xF8) == 0xF0 ? 4
                                                  : 1;
    return std::min(n, rest.size());
}

std::size_t claimedCp932Length(std::string_view rest) {
    const auto lead = static_cast<unsigned char>(rest[0]);
    const bool leadsPair = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    return leadsPair && rest.size() >= 2 ? 2 : 1;
}

// Compares the three conversions with iconv's on each text `next` gives, and counts them.
class AgainstIconv : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!toCp932_.available() || !fromCp932_.available())
            GTEST_SKIP() << "this machine's iconv has no CP932 to compare with";
    }
    void compare(const std::string& text) {
        ++compared_;
        bool valid = true;
        const std::string decoded = fromCp932_(text, claimedCp932Length, &valid);
        const std::string encoded = toCp932_(text, claimedUtf8Length);
        if (cp932ToUtf8(text) == decoded && isValidCp932(text) == valid &&
            utf8ToCp932(text) == encoded)
            return;
        if (++differences_ <= 10)
            ADD_FAILURE() << "differs from iconv on " << ::testing::PrintToString(text);
    }
    void TearDown() override {
        std::printf("compared with iconv: %zu texts, %zu differences\n", compared_, differences_);
    }

  private:
    IconvConversion toCp932_{"CP932", "UTF-8"}, fromCp932_{"UTF-8", "CP932"};
    std::size_t compared_ = 0, differences_ = 0;
};

TEST_F(AgainstIconv, EveryOneAndTwoByteSequence) {
    for (int first = 0; first < 256; ++first) {
        compare(std::string(1, static_cast<char>(first)));
        for (int second = 0; second < 256; ++second)
            compare({static_cast<char>(first), static_cast<char>(second)});
    }
}

// The UTF-8 form of any value below 2^21, surrogates included.
std::string utf8Form(char32_t cp) {
    const std::size_t n = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    static constexpr unsigned kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    std::string text(n, '\0');
    for (std::size_t i = n - 1; i > 0; --i, cp >>= 6)
        text[i] = static_cast<char>(0x80 | (cp & 0x3F));
    text[0] = static_cast<char>(kLead[n] | cp);
    return text;
}

// Every code point in UTF-8, and the forms UTF-8 forbids: surrogates, values beyond U+10FFFF.
TEST_F(AgainstIconv, EveryCodePoint) {
    for (char32_t cp = 0; cp < 0x200000; ++cp)
        compare(utf8Form(cp));
}

// Broken and whole characters side by side, and sequences cut short at the end.
TEST_F(AgainstIconv, RandomMixtures) {
    const std::string pieces[] = {"A",
                                  "\x80",
                                  "\xBF",
                                  "\xC0",
                                  "\xC1\xBF",
                                  "\xC2",
                                  "\xC3\xA9",
                                  "\xE3\x81",
                                  "\xE3\x81\x82",
                                  "\xED\xA0\x80",
                                  "\xEF\xBF\xBD",
                                  "\xF0\x9F",
                                  "\xF0\x9F\x98\x80",
                                  "\xF3\xA0\x80\x81",
                                  "\xF4\x90\x80\x80",
                                  "\xF8",
                                  "\xFF",
                                  "\x81",
                                  "\x81\x40",
                                  "\x88\x9F",
                                  "\xA1",
                                  "\xDF",
                                  "\xEA\xA4",
                                  "\xFC\x4B",
                                  "\xFD",
                                  "\x7F",
                                  " "};
    std::mt19937 random(932);
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        for (int n = 1 + static_cast<int>(random() % 5); n > 0; --n)
            text += pieces[random() % std::size(pieces)];
        compare(text);
    }
}
#else
TEST(AgainstIconv, Unavailable) {
    GTEST_SKIP() << "this machine has no iconv to compare with";
}
#endif

} // namespace
} // namespace zmbr
