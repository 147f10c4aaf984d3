#pragma once
// Exact conversions between binary floating point and decimal digits, with nothing from the
// platform's number formatting and parsing.

#include <string_view>

namespace zmbr {

// A positive value as 0.d1d2...dn x 10^pointPos, without trailing zeros.
struct DecimalDigits {
    char digits[24]; // '1'..'9' first, then '0'..'9'
    int count = 0;
    int pointPos = 0;
};

// The shortest digits that read back as the same value, of a finite value above zero; of
// several, the nearest to the value, and of two equally near, the one ending in an even digit.
DecimalDigits shortestDigits(double value);
DecimalDigits shortestDigits(float value);

// The double nearest to the decimal integer `digits` (any number of '0'..'9') x 10^exponent,
// a halfway case to the even neighbour. `outOfRange` tells that a value other than zero
// became zero or beyond the largest finite double; the result is then unspecified.
double decimalToDouble(std::string_view digits, long long exponent, bool& outOfRange);

} // namespace zmbr
