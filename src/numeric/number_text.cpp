#include "numeric/number_text.h"

#include "numeric/decimal_conversion.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <type_traits>

namespace zmbr {

namespace {

// A value as decimal digits: value = 0.d1d2d3... x 10^pointPos, with no leading zeros and
// no trailing zeros (no digits at all for zero). Held in place: a shortest round-trip text has
// at most 17 digits, so formatting needs no memory of its own.
struct Decimal {
    bool negative = false;
    char digits[24];
    int count = 0;
    int pointPos = 0;
    // Digit `index` (0 = the first after the point is index pointPos), 0 beyond the digits.
    char at(int index) const { return index < 0 || index >= count ? '0' : digits[index]; }
};

template <typename T> Decimal toDecimal(T value) {
    Decimal d;
    d.negative = std::signbit(value);
    if (value == 0)
        return d;
    const DecimalDigits shortest = shortestDigits(std::fabs(value));
    std::copy(shortest.digits, shortest.digits + shortest.count, d.digits);
    d.count = shortest.count;
    d.pointPos = shortest.pointPos;
    return d;
}

// Keeps `keep` leading digits, rounding half away from zero on the decimal text.
void roundToDigits(Decimal& d, int keep) {
    if (keep >= d.count)
        return;
    if (keep < 0) {
        d.count = 0;
        d.pointPos = 0;
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.count = keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9') {
            d.digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits[0] = '1'; // all nines: 1 followed by zeros, one place further up
            d.count = 1;
            ++d.pointPos;
        }
    }
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
    if (d.count == 0)
        d.pointPos = 0;
}

bool isPlaceholder(char c) {
    return c == '0' || c == '#';
}

void appendScientific(std::string& out, Decimal d, std::string_view pattern, std::size_t ePos) {
    std::string_view mant = pattern.substr(0, ePos);
    std::string_view expPart = pattern.substr(ePos + 1);
    auto dot = mant.find('.');
    int decimals = 0;
    if (dot != std::string_view::npos)
        for (char c : mant.substr(dot + 1))
            if (isPlaceholder(c))
                ++decimals;
    roundToDigits(d, 1 + decimals);
    const bool zero = d.count == 0;
    const int exponent = zero ? 0 : d.pointPos - 1;

    if (d.negative && !zero)
        out.push_back('-');
    out.push_back(d.at(0));
    if (dot != std::string_view::npos) {
        out.push_back('.');
        for (int i = 1; i <= decimals; ++i)
            out.push_back(d.at(i));
    }
    out.push_back(pattern[ePos]);
    const bool plusShown = !expPart.empty() && expPart[0] == '+';
    if (!expPart.empty() && (expPart[0] == '+' || expPart[0] == '-'))
        expPart.remove_prefix(1);
    if (exponent < 0)
        out.push_back('-');
    else if (plusShown)
        out.push_back('+');
    const auto minDigits =
        static_cast<std::size_t>(std::count(expPart.begin(), expPart.end(), '0'));
    char expDigits[16];
    const auto res = std::to_chars(expDigits, expDigits + sizeof expDigits, std::abs(exponent));
    const auto length = static_cast<std::size_t>(res.ptr - expDigits);
    if (length < minDigits)
        out.append(minDigits - length, '0');
    out.append(expDigits, length);
}

// Rounds to `decimals` places without the shortest decimal text where that text cannot
// change the result: the value lies clearly off the halfway point between two results. The
// margin of four units in the last place of the scaled value covers both the error of the
// scaling and the distance between the value and its shortest text.
bool roundQuickly(double value, int decimals, Decimal& d) {
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (decimals < 0 || decimals > 15)
        return false;
    const double scaled = std::fabs(value) * kPow10[decimals];
    if (!(scaled < 0x1p52))
        return false;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole; // exact
    if (std::fabs(fraction - 0.5) <= scaled * 0x1p-50)
        return false;
    auto n = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1u : 0u);
    d.negative = std::signbit(value);
    d.count = 0;
    d.pointPos = 0;
    char reversed[24];
    int length = 0;
    for (; n > 0; n /= 10)
        reversed[length++] = static_cast<char>('0' + n % 10);
    int lastSignificant = 0;
    while (lastSignificant < length && reversed[lastSignificant] == '0')
        ++lastSignificant;
    for (int i = length - 1; i >= lastSignificant; --i)
        d.digits[d.count++] = reversed[i];
    if (d.count > 0)
        d.pointPos = length - decimals;
    return true;
}

// A rounded value in a fixed pattern, put together in `text`, which has room for it.
char* writeFixed(char* text, const Decimal& d, const NumberPattern::Fixed& f) {
    char* const start = text;
    text = std::copy(f.prefix.begin(), f.prefix.end(), text);
    if (d.negative && d.count > 0) {
        if (!f.prefix.empty() && f.prefix.back() == ' ') {
            text[-1] = '-';
        } else {
            std::copy_backward(start, text, text + 1);
            *start = '-';
            ++text;
        }
    }
    const int intDigits = std::max(d.pointPos, 0);
    for (int i = intDigits; i < f.minInt; ++i)
        *text++ = '0';
    for (int i = 0; i < intDigits; ++i)
        *text++ = d.at(i);
    // Trailing "#" places show nothing when their digit is not significant.
    int shown = f.decimals;
    for (auto c = f.fracSpec.rbegin(); c != f.fracSpec.rend() && shown > 0; ++c) {
        if (!isPlaceholder(*c))
            continue;
        if (*c != '#' || d.at(d.pointPos + shown - 1) != '0')
            break;
        --shown;
    }
    if (f.point) {
        *text++ = '.';
        for (int i = 0; i < shown; ++i)
            *text++ = d.at(d.pointPos + i);
    }
    return std::copy(f.suffix.begin(), f.suffix.end(), text);
}

void appendFixed(std::string& out, const Decimal& d, const NumberPattern::Fixed& f) {
    const std::size_t longest = f.prefix.size() + 1 +
                                static_cast<std::size_t>(std::max({d.pointPos, f.minInt, 0})) + 1 +
                                static_cast<std::size_t>(f.decimals) + f.suffix.size();
    char local[64];
    if (longest <= sizeof local) {
        out.append(local, static_cast<std::size_t>(writeFixed(local, d, f) - local));
        return;
    }
    std::string text(longest, '\0'); // a long pattern or a huge value
    text.resize(static_cast<std::size_t>(writeFixed(text.data(), d, f) - text.data()));
    out += text;
}

template <typename T> void appendAny(std::string& out, T value, const NumberPattern& p) {
    if (std::isnan(value)) {
        out += "NaN";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-Inf" : "Inf";
        return;
    }
    if (p.scientific()) {
        appendScientific(out, toDecimal(value), p.text(), p.exponentAt());
        return;
    }
    const NumberPattern::Fixed& f = p.fixed();
    if (!f.placeholders) {
        out += p.text();
        return;
    }
    Decimal d;
    if constexpr (std::is_same_v<T, double>) {
        if (roundQuickly(value, f.decimals, d)) {
            appendFixed(out, d, f);
            return;
        }
    }
    d = toDecimal(value);
    roundToDigits(d, d.pointPos + f.decimals);
    appendFixed(out, d, f);
}

} // namespace

NumberPattern::NumberPattern(std::string_view pattern)
    : text_(pattern), exponentAt_(pattern.find_first_of("Ee")) {
    if (scientific())
        return;
    auto first = std::find_if(pattern.begin(), pattern.end(), isPlaceholder);
    if (first == pattern.end())
        return;
    fixed_.placeholders = true;
    auto lastRev = std::find_if(pattern.rbegin(), pattern.rend(), isPlaceholder);
    std::size_t begin = static_cast<std::size_t>(first - pattern.begin());
    std::size_t end = pattern.size() - static_cast<std::size_t>(lastRev - pattern.rbegin());
    std::string_view body = pattern.substr(begin, end - begin);
    fixed_.prefix = pattern.substr(0, begin);
    fixed_.suffix = pattern.substr(end);
    // A pattern such as "#.##" has its point after the last placeholder of the run.
    if (!fixed_.suffix.empty() && fixed_.suffix[0] == '.' &&
        body.find('.') == std::string_view::npos) {
        body = pattern.substr(begin, end - begin + 1);
        fixed_.suffix.remove_prefix(1);
    }
    const auto dot = body.find('.');
    fixed_.point = dot != std::string_view::npos;
    const std::string_view intSpec = body.substr(0, dot);
    fixed_.fracSpec = fixed_.point ? body.substr(dot + 1) : std::string_view{};
    fixed_.decimals = static_cast<int>(
        std::count_if(fixed_.fracSpec.begin(), fixed_.fracSpec.end(), isPlaceholder));
    const auto firstZero = intSpec.find('0');
    if (firstZero != std::string_view::npos)
        fixed_.minInt =
            static_cast<int>(std::count_if(intSpec.begin() + static_cast<std::ptrdiff_t>(firstZero),
                                           intSpec.end(), isPlaceholder));
}

namespace {

// Reads the leading number of `text`; `whole` tells whether the number used all of it.
double scanNumber(std::string_view text, bool& whole) {
    whole = false;
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            s.push_back(c);

    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    std::string digits; // those before and after the point
    long long decimals = 0;
    bool anyDigit = false;
    bool nonZeroDigit = false;
    int leadingIntDigits = 0; // significant digits before the point, for the range check
    int leadingZerosAfterPoint = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        if (s[i] != '0' || nonZeroDigit) {
            nonZeroDigit = true;
            ++leadingIntDigits;
        }
        digits.push_back(s[i++]);
        anyDigit = true;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            if (s[i] == '0' && !nonZeroDigit)
                ++leadingZerosAfterPoint;
            if (s[i] != '0')
                nonZeroDigit = true;
            digits.push_back(s[i++]);
            ++decimals;
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0.0;
    long long exponent = 0;
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            expNegative = s[j++] == '-';
        if (j < s.size() && s[j] >= '0' && s[j] <= '9') {
            while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
                if (exponent < 100000)
                    exponent = exponent * 10 + (s[j] - '0');
                ++j;
            }
            if (expNegative)
                exponent = -exponent;
            end = j;
        }
    }
    whole = end == s.size();
    if (!nonZeroDigit)
        return negative ? -0.0 : 0.0;

    bool outOfRange = false;
    double value = decimalToDouble(digits, exponent - decimals, outOfRange);
    if (outOfRange) {
        long long magnitude =
            exponent + (leadingIntDigits > 0 ? leadingIntDigits : -leadingZerosAfterPoint);
        value = magnitude > 0 ? DBL_MAX : 0.0;
    }
    return negative ? -value : value;
}

} // namespace

double parseNumber(std::string_view text) {
    bool whole = false;
    return scanNumber(text, whole);
}

std::optional<double> parseWholeNumber(std::string_view text) {
    bool whole = false;
    const double value = scanNumber(text, whole);
    if (!whole)
        return std::nullopt;
    return value;
}

std::string formatNumber(double value, std::string_view pattern) {
    std::string text;
    appendAny(text, value, NumberPattern(pattern));
    return text;
}

std::string formatNumber(float value, std::string_view pattern) {
    std::string text;
    appendAny(text, value, NumberPattern(pattern));
    return text;
}

void appendNumber(std::string& out, double value, const NumberPattern& pattern) {
    appendAny(out, value, pattern);
}

std::string plainNumberText(float value) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Inf" : "Inf";
    Decimal d = toDecimal(value);
    roundToDigits(d, 7);
    if (d.count == 0)
        return "0";
    std::string out = d.negative ? "-" : "";
    const int exp10 = d.pointPos - 1;
    if (exp10 >= 7 || exp10 < -5) {
        out.push_back(d.digits[0]);
        if (d.count > 1)
            out.append(".").append(d.digits + 1, static_cast<std::size_t>(d.count - 1));
        std::string e = std::to_string(std::abs(exp10));
        if (e.size() < 2)
            e.insert(0, "0");
        out += (exp10 < 0 ? "E-" : "E+") + e;
        return out;
    }
    if (d.pointPos <= 0) {
        out += "0." + std::string(static_cast<std::size_t>(-d.pointPos), '0');
        out.append(d.digits, static_cast<std::size_t>(d.count));
        return out;
    }
    for (int i = 0; i < d.pointPos; ++i)
        out.push_back(d.at(i));
    if (d.count > d.pointPos)
        out.append(".").append(d.digits + d.pointPos,
                               static_cast<std::size_t>(d.count - d.pointPos));
    return out;
}

float toFieldValue(double value) {
    if (std::isnan(value))
        return 0.0f;
    if (value > FLT_MAX)
        return FLT_MAX;
    if (value < -FLT_MAX)
        return -FLT_MAX;
    return static_cast<float>(value);
}

} // namespace zmbr
