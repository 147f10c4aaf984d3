// Compares this tree's number text with an older build of it (its namespace renamed to
// zmbr_old, see run.sh) on millions of values: formatNumber for double and float under every
// pattern the program uses, plainNumberText, parseNumber and parseWholeNumber.

#include "numeric/number_text.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace zmbr_old {
double parseNumber(std::string_view text);
std::optional<double> parseWholeNumber(std::string_view text);
std::string formatNumber(double value, std::string_view pattern);
std::string formatNumber(float value, std::string_view pattern);
std::string plainNumberText(float value);
} // namespace zmbr_old

namespace {

const char* const kPatterns[] = {"#####0",     "0",
                                 "#0.000000",  "0.000000",
                                 "##0.00",     "0.0E+00",
                                 "0.0",        "0.",
                                 "##0.000",    "###0.00",
                                 "0.000",      "#",
                                 "    0.000",  "0.00",
                                 "#0.0000",    "#0.000",
                                 "#.##",       "##0.00000",
                                 "###0.000",   "###0.0",
                                 "###0",       " 0.000000",
                                 " #0",        " ##0.00",
                                 "  0.000000", "0.0000",
                                 "0.00000",    "0.0000000",
                                 "0.000E+00",  "0.0E00",
                                 "0.00E+000",  "0.0#",
                                 "$0.0",       "0.0000000000000000000"};

std::uint64_t inputs = 0, compared = 0, differences = 0; // values and texts, calls, mismatches

void report(const std::string& what, const std::string& now, const std::string& before) {
    if (++differences <= 20)
        std::printf("DIFFERENT %s: now \"%s\", before \"%s\"\n", what.c_str(), now.c_str(),
                    before.c_str());
}

template <typename T> void compareFormats(T value) {
    ++inputs;
    for (const char* pattern : kPatterns) {
        ++compared;
        const std::string now = zmbr::formatNumber(value, pattern);
        const std::string before = zmbr_old::formatNumber(value, pattern);
        if (now != before) {
            char shown[64];
            std::snprintf(shown, sizeof shown, "%a", static_cast<double>(value));
            report(std::string(shown) + " with " + pattern, now, before);
        }
    }
    if constexpr (std::is_same_v<T, float>) {
        ++compared;
        const std::string now = zmbr::plainNumberText(value),
                          before = zmbr_old::plainNumberText(value);
        if (now != before)
            report("plain text", now, before);
    }
}

std::string bitsText(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%a", v);
    return text;
}

void compareParse(const std::string& text) {
    ++inputs;
    compared += 2;
    const double now = zmbr::parseNumber(text), before = zmbr_old::parseNumber(text);
    if (std::bit_cast<std::uint64_t>(now) != std::bit_cast<std::uint64_t>(before))
        report("parse of \"" + text.substr(0, 60) + "\"", bitsText(now), bitsText(before));
    const auto wholeNow = zmbr::parseWholeNumber(text),
               wholeBefore = zmbr_old::parseWholeNumber(text);
    if (wholeNow.has_value() != wholeBefore.has_value() ||
        (wholeNow &&
         std::bit_cast<std::uint64_t>(*wholeNow) != std::bit_cast<std::uint64_t>(*wholeBefore)))
        report("whole parse of \"" + text.substr(0, 60) + "\"", "", "");
}

// The exact decimal text of a halfway point between two doubles, which an x86 long double holds.
static_assert(std::numeric_limits<long double>::digits >= 64);
std::string halfwayText(double low) {
    const long double high = std::nextafter(low, INFINITY);
    char text[1200];
    std::snprintf(text, sizeof text, "%.800Le", (static_cast<long double>(low) + high) / 2);
    std::string s = text;
    const auto e = s.find('e');
    std::string mantissa = s.substr(0, e);
    while (mantissa.back() == '0')
        mantissa.pop_back();
    return mantissa + s.substr(e);
}

} // namespace

int main(int argc, char** argv) {
    const double scale = argc > 1 ? std::atof(argv[1]) : 1; // 6: 6.6 million values and texts
    std::mt19937_64 random(20260612);
    std::uniform_real_distribution<double> unit(0, 1);
    std::uint64_t counts[6] = {};

    // Doubles and floats of every exponent: random bit patterns.
    for (long i = 0; i < static_cast<long>(40000 * scale); ++i) {
        compareFormats(std::bit_cast<double>(random()));
        compareFormats(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
    }
    counts[0] = compared;
    // Values of the sizes the program shows, uniformly and over many decades.
    for (long i = 0; i < static_cast<long>(20000 * scale); ++i) {
        const double wide = std::pow(10.0, unit(random) * 24 - 12) * (random() % 2 ? 1 : -1);
        compareFormats(wide);
        compareFormats(static_cast<float>(wide));
        compareFormats((unit(random) - 0.5) * 2e4);
        compareFormats(static_cast<float>((unit(random) - 0.5) * 2e4));
    }
    counts[1] = compared;
    // Halfway points of every number of decimals the patterns keep, and their neighbours.
    for (long i = 0; i < static_cast<long>(4000 * scale); ++i) {
        const int decimals = static_cast<int>(random() % 8);
        const double n = std::floor(std::pow(10.0, unit(random) * 7)) + 0.5;
        const double half = n / std::pow(10.0, decimals) * (random() % 2 ? 1 : -1);
        double below = half, above = half;
        for (int k = 0; k < 3; ++k) {
            compareFormats(below);
            compareFormats(above);
            compareFormats(static_cast<float>(below));
            compareFormats(std::nextafter(static_cast<float>(above), INFINITY));
            below = std::nextafter(below, -INFINITY);
            above = std::nextafter(above, INFINITY);
        }
    }
    counts[2] = compared;

    // Texts of random digits and exponents, with blanks and stray characters.
    const char alphabet[] = "0123456789000000000.eEdD+- \t\nx";
    for (long i = 0; i < static_cast<long>(300000 * scale); ++i) {
        std::string text;
        const int length = 1 + static_cast<int>(random() % 30);
        if (random() % 2) {
            for (int k = 0; k < length; ++k)
                text.push_back(alphabet[random() % (sizeof alphabet - 1)]);
        } else {
            for (int k = 0; k < length; ++k)
                text.push_back(static_cast<char>('0' + random() % 10));
            if (random() % 2)
                text.insert(random() % text.size(), ".");
            text += "e" + std::to_string(static_cast<int>(random() % 800) - 400);
        }
        compareParse(text);
    }
    counts[3] = compared;
    // Shortest texts, overflow, underflow and subnormal values, long digit strings.
    for (long i = 0; i < static_cast<long>(100000 * scale); ++i) {
        const double v = std::bit_cast<double>(random() & 0x7FFFFFFFFFFFFFFFu);
        if (!std::isfinite(v))
            continue;
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", v);
        compareParse(text);
        std::snprintf(text, sizeof text, "%.*e", static_cast<int>(random() % 20), v);
        compareParse(text);
        std::snprintf(text, sizeof text, "%de%d", static_cast<int>(random() % 100000),
                      static_cast<int>(random() % 40) - 345 + (random() % 2 ? 0 : 650));
        compareParse(text);
        std::string digits(1 + random() % 1200, '0');
        for (char& c : digits)
            c = static_cast<char>('0' + random() % 10);
        compareParse(digits + "e-" + std::to_string(random() % 1500));
        compareParse("0." + std::string(random() % 400, '0') + digits);
    }
    counts[4] = compared;
    // Halfway points between doubles, exactly, a little below and a little above.
    for (long i = 0; i < static_cast<long>(30000 * scale); ++i) {
        const double v = std::bit_cast<double>(random() & 0x7FEFFFFFFFFFFFFFu);
        const std::string half = halfwayText(v);
        const auto e = half.find('e');
        compareParse(half);
        compareParse(half.substr(0, e) + "0000000000000000000001" + half.substr(e));
        std::string below = half.substr(0, e);
        below.back() = static_cast<char>(below.back() - 1);
        compareParse(below + "99999999999999999999" + half.substr(e));
    }
    counts[5] = compared;

    const char* const parts[] = {"random bit patterns",     "sizes the program shows",
                                 "near halfway points",     "random texts",
                                 "shortest, extreme, long", "exact halfway texts"};
    std::uint64_t previous = 0;
    for (int k = 0; k < 6; ++k) {
        std::printf("%-24s %10llu comparisons\n", parts[k],
                    static_cast<unsigned long long>(counts[k] - previous));
        previous = counts[k];
    }
    std::printf("%llu values and texts, %llu comparisons, %llu differences\n",
                static_cast<unsigned long long>(inputs), static_cast<unsigned long long>(compared),
                static_cast<unsigned long long>(differences));
    return differences == 0 ? 0 : 1;
}
