#include "input/number_text.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <system_error>

namespace zmbr {

namespace {

// A value as a decimal digit string: value = 0.d1d2d3... x 10^pointPos, with no leading
// zeros in `digits` (an empty string means zero).
struct Decimal {
    bool negative = false;
    std::string digits;
    int pointPos = 0;
};

template <typename T> Decimal toDecimal(T value) {
    Decimal d;
    d.negative = std::signbit(value);
    char buf[64];
    auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    auto e = text.find('e');
    std::string_view mant = text.substr(0, e);
    int exp10 = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    exp10);
    for (char c : mant)
        if (c != '.')
            d.digits.push_back(c);
    if (d.digits == "0") {
        d.digits.clear();
        return d;
    }
    d.pointPos = exp10 + 1;
    return d;
}

// Keeps `keep` leading digits, rounding half away from zero on the decimal text.
void roundToDigits(Decimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[static_cast<std::size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.pointPos;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.pointPos = 0;
}

bool isPlaceholder(char c) {
    return c == '0' || c == '#';
}

// Digit `index` of the decimal (0 = first digit after the point is index pointPos).
char digitAt(const Decimal& d, int index) {
    if (index < 0 || index >= static_cast<int>(d.digits.size()))
        return '0';
    return d.digits[static_cast<std::size_t>(index)];
}

std::string formatScientific(Decimal d, std::string_view pattern, std::size_t ePos) {
    std::string_view mant = pattern.substr(0, ePos);
    std::string_view expPart = pattern.substr(ePos + 1);
    auto dot = mant.find('.');
    int decimals = 0;
    if (dot != std::string_view::npos)
        for (char c : mant.substr(dot + 1))
            if (isPlaceholder(c))
                ++decimals;
    roundToDigits(d, 1 + decimals);
    bool zero = d.digits.empty();
    int exponent = zero ? 0 : d.pointPos - 1;

    std::string out;
    if (d.negative && !zero)
        out.push_back('-');
    out.push_back(digitAt(d, 0));
    if (dot != std::string_view::npos) {
        out.push_back('.');
        for (int i = 1; i <= decimals; ++i)
            out.push_back(digitAt(d, i));
    }
    out.push_back(pattern[ePos]);
    bool plusShown = !expPart.empty() && expPart[0] == '+';
    if (!expPart.empty() && (expPart[0] == '+' || expPart[0] == '-'))
        expPart.remove_prefix(1);
    if (exponent < 0)
        out.push_back('-');
    else if (plusShown)
        out.push_back('+');
    int minDigits = static_cast<int>(std::count(expPart.begin(), expPart.end(), '0'));
    std::string expDigits = std::to_string(std::abs(exponent));
    if (static_cast<int>(expDigits.size()) < minDigits)
        expDigits.insert(0, static_cast<std::size_t>(minDigits) - expDigits.size(), '0');
    out += expDigits;
    return out;
}

std::string formatFixed(Decimal d, std::string_view pattern) {
    auto first = std::find_if(pattern.begin(), pattern.end(), isPlaceholder);
    if (first == pattern.end())
        return std::string(pattern);
    auto lastRev = std::find_if(pattern.rbegin(), pattern.rend(), isPlaceholder);
    std::size_t begin = static_cast<std::size_t>(first - pattern.begin());
    std::size_t end = pattern.size() - static_cast<std::size_t>(lastRev - pattern.rbegin());
    std::string_view prefix = pattern.substr(0, begin);
    std::string_view body = pattern.substr(begin, end - begin);
    std::string_view suffix = pattern.substr(end);
    // A pattern such as "#.##" has its point after the last placeholder of the run.
    if (!suffix.empty() && suffix[0] == '.' && body.find('.') == std::string_view::npos) {
        body = pattern.substr(begin, end - begin + 1);
        suffix.remove_prefix(1);
    }

    auto dot = body.find('.');
    std::string_view intSpec = body.substr(0, dot);
    std::string_view fracSpec =
        dot == std::string_view::npos ? std::string_view{} : body.substr(dot + 1);
    std::string fracKinds;
    for (char c : fracSpec)
        if (isPlaceholder(c))
            fracKinds.push_back(c);
    int minInt = 0;
    auto firstZero = intSpec.find('0');
    if (firstZero != std::string_view::npos)
        for (char c : intSpec.substr(firstZero))
            if (isPlaceholder(c))
                ++minInt;

    int decimals = static_cast<int>(fracKinds.size());
    roundToDigits(d, d.pointPos + decimals);
    bool zero = d.digits.empty();

    std::string intText;
    for (int i = 0; i < d.pointPos; ++i)
        intText.push_back(digitAt(d, i));
    if (static_cast<int>(intText.size()) < minInt)
        intText.insert(0, static_cast<std::size_t>(minInt) - intText.size(), '0');
    std::string fracText;
    for (int i = 0; i < decimals; ++i)
        fracText.push_back(digitAt(d, d.pointPos + i));
    // Trailing "#" places show nothing when their digit is not significant.
    while (!fracText.empty() && fracKinds[fracText.size() - 1] == '#' && fracText.back() == '0')
        fracText.pop_back();

    std::string number = intText;
    if (dot != std::string_view::npos)
        number += "." + fracText;

    std::string out(prefix);
    if (d.negative && !zero) {
        if (!out.empty() && out.back() == ' ')
            out.back() = '-';
        else
            out.insert(out.begin(), '-');
    }
    out += number;
    out += suffix;
    return out;
}

template <typename T> std::string formatAny(T value, std::string_view pattern) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Inf" : "Inf";
    Decimal d = toDecimal(value);
    auto ePos = pattern.find_first_of("Ee");
    if (ePos != std::string_view::npos)
        return formatScientific(std::move(d), pattern, ePos);
    return formatFixed(std::move(d), pattern);
}

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
    std::string number; // normalised for from_chars: digits, ".", "e", exponent
    bool anyDigit = false;
    bool nonZeroDigit = false;
    int leadingIntDigits = 0; // significant digits before the point, for the range check
    int leadingZerosAfterPoint = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        if (s[i] != '0' || nonZeroDigit) {
            nonZeroDigit = true;
            ++leadingIntDigits;
        }
        number.push_back(s[i++]);
        anyDigit = true;
    }
    if (i < s.size() && s[i] == '.') {
        number.push_back(s[i++]);
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            if (s[i] == '0' && !nonZeroDigit)
                ++leadingZerosAfterPoint;
            if (s[i] != '0')
                nonZeroDigit = true;
            number.push_back(s[i++]);
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
            number += "e" + std::to_string(exponent);
            end = j;
        }
    }
    whole = end == s.size();
    if (number.front() == '.')
        number.insert(number.begin(), '0');
    if (!nonZeroDigit)
        return negative ? -0.0 : 0.0;

    double value = 0.0;
    auto res = std::from_chars(number.data(), number.data() + number.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
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
    return formatAny(value, pattern);
}

std::string formatNumber(float value, std::string_view pattern) {
    return formatAny(value, pattern);
}

std::string plainNumberText(float value) {
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Inf" : "Inf";
    Decimal d = toDecimal(value);
    roundToDigits(d, 7);
    if (d.digits.empty())
        return "0";
    std::string out = d.negative ? "-" : "";
    int exp10 = d.pointPos - 1;
    if (exp10 >= 7 || exp10 < -5) {
        out.push_back(d.digits[0]);
        if (d.digits.size() > 1)
            out += "." + d.digits.substr(1);
        std::string e = std::to_string(std::abs(exp10));
        if (e.size() < 2)
            e.insert(0, "0");
        out += (exp10 < 0 ? "E-" : "E+") + e;
        return out;
    }
    if (d.pointPos <= 0) {
        out += "0." + std::string(static_cast<std::size_t>(-d.pointPos), '0') + d.digits;
        return out;
    }
    for (int i = 0; i < d.pointPos; ++i)
        out.push_back(digitAt(d, i));
    if (static_cast<int>(d.digits.size()) > d.pointPos)
        out += "." + d.digits.substr(static_cast<std::size_t>(d.pointPos));
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
