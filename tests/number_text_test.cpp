#include "numeric/number_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace zmbr {
namespace {

struct ParseCase {
    const char* text;
    double value;
};

TEST(ParseNumber, ReadsTheLeadingNumberOfAnyText) {
    const ParseCase cases[] = {
        {"", 0},
        {"abc", 0},
        {"12", 12},
        {" 1 2 3", 123},
        {"\t7\n", 7},
        {"1.5e3", 1500},
        {"1.5D3", 1500},
        {"1.5d-3", 0.0015},
        {"2E+2", 200},
        {"-5", -5},
        {"+5", 5},
        {"- 5", -5},
        {"3.5abc", 3.5},
        {".5", 0.5},
        {"-.5", -0.5},
        {"1e", 1},
        {"1e+", 1},
        {"1.2.3", 1.2},
        {"0x10", 0},
        {"1,5", 1},
        {"--5", 0},
        {"e5", 0},
        {".", 0},
        {"5\r", 5},
        {"-0.0020", -0.002},
        {"0.0035", 0.0035},
        {"1e400", DBL_MAX},
        {"-1e400", -DBL_MAX},
        {"1e-400", 0},
        {"000.000001e6", 1},
        {"1e99999999999999", DBL_MAX},
        // The ends of the range, and halfway points, which go to the even neighbour.
        {"4.9406564584124654e-324", 0x1p-1074},
        {"2.4703282292062327e-324", 0},
        {"2.4703282292062328e-324", 0x1p-1074},
        {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022},
        {"1.7976931348623157e308", DBL_MAX},
        {"1.7976931348623158e308", DBL_MAX},
        {"1.7976931348623159e308", DBL_MAX},
        {"9007199254740993", 0x1p53},
        {"9007199254740993.0000000000000000000000000000001", 0x1.0000000000001p53},
        {"9007199254740995", 0x1.0000000000002p53},
        {"0.1", 0x1.999999999999ap-4},
        {"123456789012345678901234567890e-10", 0x1.56a95319d63e1p+63},
    };
    for (const ParseCase& c : cases)
        EXPECT_EQ(parseNumber(c.text), c.value) << '"' << c.text << '"';
}

// The shortest text of any value reads back as that value.
// A text that must hold a number and nothing else: an exponent letter without digits is
// something else.
TEST(ParseNumber, WholeNumbersHoldNothingElse) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"12", 12},           {" 1.5e3 ", 1500},     {"-2D-1", -0.2},
        {"1e", std::nullopt}, {"1e+", std::nullopt}, {"1ex", std::nullopt},
        {"1x", std::nullopt}, {"", std::nullopt}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(parseWholeNumber(text), value) << '"' << text << '"';
}

TEST(ParseNumber, ReadsBackWhatIsFormatted) {
    std::mt19937_64 random(1);
    for (int i = 0; i < 30000; ++i) {
        const std::uint64_t bits = random() & 0x7FEFFFFFFFFFFFFFu; // finite, not negative
        const auto singleBits = static_cast<std::uint32_t>(random() & 0x7F7FFFFF);
        double value;
        float single;
        std::memcpy(&value, &bits, sizeof value);
        std::memcpy(&single, &singleBits, sizeof single);
        ASSERT_EQ(parseNumber(formatNumber(value, "0.0000000000000000E+000")), value);
        ASSERT_EQ(static_cast<float>(parseNumber(formatNumber(single, "0.00000000E+00"))), single);
    }
}

TEST(ParseNumber, FieldValuesStayFinite) {
    EXPECT_EQ(toFieldValue(parseNumber("1e39")), FLT_MAX);
    EXPECT_EQ(toFieldValue(parseNumber("-1e300")), -FLT_MAX);
    EXPECT_EQ(toFieldValue(parseNumber("1.23456")), 1.23456f);
}

struct DoubleFormatCase {
    double value;
    const char* pattern;
    const char* text;
};

TEST(FormatNumber, SolverQuantitiesByPattern) {
    const DoubleFormatCase cases[] = {
        // Halves round away from zero on the shortest decimal text.
        {0.125, "##0.00", "0.13"},
        {2.675, "##0.00", "2.68"},
        {-2.675, "##0.00", "-2.68"},
        {0.5, "#####0", "1"},
        {0.4, "#####0", "0"},
        {-0.5, "#####0", "-1"},
        // A value that rounds to zero has no minus sign.
        {-0.4, "#####0", "0"},
        {-0.0000004, "0.000000", "0.000000"},
        {-0.0, "##0.00", "0.00"},
        // Leading literal spaces: the minus takes the last one.
        {1.25, "    0.000", "    1.250"},
        {-1.25, "    0.000", "   -1.250"},
        {-0.000125, " 0.000000", "-0.000125"},
        {0.000125, " 0.000000", " 0.000125"},
        {45, " ##0.00", " 45.00"},
        {-0.0001, "0.000000", "-0.000100"},
        // Every integer digit is shown, whatever the pattern's width.
        {12345.678, "    0.000", "    12345.678"},
        {24000, "#####0", "24000"},
        {1234567, "##0.00", "1234567.00"},
        {6.0249e-5, "#0.000000", "0.000060"},
        {1, " #0", " 1"},
        {10, " #0", " 10"},
        {7, "###0", "7"},
        {0.999996, "##0.00000", "1.00000"},
        {99.995, "##0.00", "100.00"},
        {0.25, "0.0", "0.3"}, // a carry into the first digit
        // A minus goes before a prefix that does not end in a blank.
        {-1.5, "$0.0", "-$1.5"},
        // "#" after the point shows only significant digits.
        {5, "#.##", "5."},
        {0.5, "#.##", ".5"},
        {1.25, "0.0#", "1.25"},
        {1.2, "0.0#", "1.2"},
        // Scientific notation.
        {1.5, "0.0E+00", "1.5E+00"},
        {1.5e-5, "0.0E+00", "1.5E-05"},
        {-1.5e-5, "0.0E+00", "-1.5E-05"},
        {0, "0.0E+00", "0.0E+00"},
        {9.96, "0.0E+00", "1.0E+01"},
        {0.000455, "0.0E+00", "4.6E-04"},
        {1e100, "0.0E+00", "1.0E+100"},
        {12345.0, "0.0E00", "1.2E04"},
    };
    for (const DoubleFormatCase& c : cases)
        EXPECT_EQ(formatNumber(c.value, c.pattern), c.text)
            << c.value << " with \"" << c.pattern << '"';
    // Texts longer than 64 characters, of values beyond 2^52.
    for (const auto& [value, zeros] : {std::pair{-1e20, 20}, {-1e62, 62}, {-1e100, 100}})
        EXPECT_EQ(formatNumber(value, "0.0"), "-1" + std::string(zeros, '0') + ".0");
    // Every number of decimals, and beyond what a double holds; 1/3 and 2/3 never lie near a
    // halfway point.
    for (int k = 0; k <= 17; ++k) {
        SCOPED_TRACE(k);
        const std::string pattern = k == 0 ? "0" : "0." + std::string(k, '0');
        const std::string zeros(std::max(k - 16, 0), '0');
        EXPECT_EQ(formatNumber(1.0 / 3, pattern),
                  k == 0 ? "0" : "0." + std::string(std::min(k, 16), '3') + zeros);
        EXPECT_EQ(formatNumber(2.0 / 3, pattern), k == 0   ? "1"
                                                  : k < 16 ? "0." + std::string(k - 1, '6') + "7"
                                                           : "0." + std::string(16, '6') + zeros);
    }
}

struct FloatFormatCase {
    float value;
    const char* pattern;
    const char* text;
};

TEST(FormatNumber, ParametersAtTheirOwnPrecision) {
    const FloatFormatCase cases[] = {
        {0.00125f, "#0.0000", "0.0013"},
        {-30, "##0.00", "-30.00"},
        {2.5f, "#####0", "3"},
        {-0.002f, "#0.0000", "-0.0020"},
        {0.0035f, "#0.0000", "0.0035"},
        {1.23456f, "#0.000", "1.235"},
        {0.1f, "#0.000000", "0.100000"},
        {1.0f / 150.0f, "#0.000000", "0.006667"},
        {200, "###0.0", "200.0"},
        {FLT_MAX, "#####0", "340282350000000000000000000000000000000"},
    };
    for (const FloatFormatCase& c : cases)
        EXPECT_EQ(formatNumber(c.value, c.pattern), c.text)
            << c.value << " with \"" << c.pattern << '"';
}

TEST(PlainNumberText, ShortestTextWithSevenDigits) {
    const std::pair<float, const char*> cases[] = {
        {10, "10"},
        {3.5f, "3.5"},
        {1, "1"},
        {0.1f, "0.1"},
        {-2.5f, "-2.5"},
        {0, "0"},
        {1234567, "1234567"},
        {12345678, "1.234568E+07"},
        {16777216, "1.677722E+07"},
        {0.001f, "0.001"},
        {1e-6f, "1E-06"},
        {1.0000001f, "1"},
        {2.6666667f, "2.666667"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(plainNumberText(value), text) << value;
}

} // namespace
} // namespace zmbr
