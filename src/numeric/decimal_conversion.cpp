#include "numeric/decimal_conversion.h"

#include "numeric/big_unsigned.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace zmbr {

namespace {

// The bits of one type as another of the same size (std::bit_cast, which older libraries lack).
template <typename To, typename From> To bitCast(From from) {
    static_assert(sizeof(To) == sizeof(From));
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}

template <typename T> struct BinaryFormat;
template <> struct BinaryFormat<double> {
    using Bits = std::uint64_t;
    static constexpr int kFractionBits = 52, kBias = 1023;
};
template <> struct BinaryFormat<float> {
    using Bits = std::uint32_t;
    static constexpr int kFractionBits = 23, kBias = 127;
};

// Shortest digits by exact integer arithmetic, after Steele and White's free-format method as
// Burger and Dybvig state it: the digits of the value are generated until the text may stop
// inside the interval of numbers that read back as the value, and the last digit is the
// nearer of the two that can end the text there.
template <typename T> DecimalDigits shortest(T value) {
    using Format = BinaryFormat<T>;
    const auto bits = bitCast<typename Format::Bits>(value);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << Format::kFractionBits) - 1);
    const int biased = static_cast<int>(bits >> Format::kFractionBits) & (2 * Format::kBias + 1);
    const std::uint64_t f =
        biased == 0 ? fraction : fraction | std::uint64_t{1} << Format::kFractionBits;
    const int e = (biased == 0 ? 1 : biased) - Format::kBias - Format::kFractionBits;
    // The value is f * 2^e. Round to nearest, ties to even, reads back the numbers up to half
    // a step either side, the ends too when f is even; at a power of two the step below is half
    // the one above.
    const bool endsReadBack = f % 2 == 0;
    const bool narrowBelow = fraction == 0 && biased > 1;

    // In units of 2^(e - 2): value r/s, interval from (r - below)/s to (r + above)/s.
    BigUnsigned r(f << 2), s(1), above(2), below(narrowBelow ? 1 : 2);
    if (e >= 2) {
        r.shiftLeft(e - 2);
        above.shiftLeft(e - 2);
        below.shiftLeft(e - 2);
    } else {
        s.shiftLeft(2 - e);
    }
    // The decimal exponent k such that the interval's top lies just below 10^k: estimated low
    // from the binary exponent, then corrected.
    constexpr double kLog10Of2 = 0.30102999566398119521;
    int k = static_cast<int>(std::ceil(
        static_cast<double>(e + static_cast<int>(std::bit_width(f)) - 1) * kLog10Of2 - 1e-10));
    if (k >= 0) {
        s.multiplyByPowerOf10(k);
    } else {
        r.multiplyByPowerOf10(-k);
        above.multiplyByPowerOf10(-k);
        below.multiplyByPowerOf10(-k);
    }
    const auto beyondTop = [&](const BigUnsigned& rest) {
        const int c = compareSum(rest, above, s);
        return endsReadBack ? c >= 0 : c > 0;
    };
    while (beyondTop(r)) {
        s.multiplyAdd(10);
        ++k;
    }

    DecimalDigits d;
    d.pointPos = k;
    for (;;) {
        r.multiplyAdd(10);
        above.multiplyAdd(10);
        below.multiplyAdd(10);
        char digit = '0';
        while (compare(r, s) >= 0) {
            r.subtract(s);
            ++digit;
        }
        const int c = compare(r, below);
        const bool lowEnds = endsReadBack ? c <= 0 : c < 0;
        const bool highEnds = beyondTop(r);
        if (lowEnds && highEnds) {
            BigUnsigned twice = r;
            twice.shiftLeft(1);
            const int half = compare(twice, s);
            if (half > 0 || (half == 0 && (digit - '0') % 2 == 1))
                ++digit;
        } else if (highEnds) {
            ++digit;
        }
        d.digits[d.count++] = digit;
        if (lowEnds || highEnds || d.count == static_cast<int>(sizeof d.digits))
            break; // (17 digits at most)
    }
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
    return d;
}

// The double nearest to (mantissa + δ) x 2^exponent, where δ lies strictly between 0 and 1 when
// `inexact` and is 0 otherwise; an inexact mantissa has at least 54 bits.
double nearestDouble(std::uint64_t mantissa, int exponent, bool inexact, bool& outOfRange) {
    const int length = static_cast<int>(std::bit_width(mantissa));
    const int top = exponent + length - 1; // the value lies in [2^top, 2^(top + 1))
    if (top > 1023) {
        outOfRange = true;
        return std::numeric_limits<double>::infinity();
    }
    // Bits below the last one a double keeps: 53 bits, fewer below 2^-1022.
    const int dropped = length - 53 + std::max(0, -1022 - top);
    std::uint64_t kept = 0;
    if (dropped <= 0) {
        kept = mantissa << -dropped;
    } else if (dropped <= 64) {
        kept = dropped == 64 ? 0 : mantissa >> dropped;
        const std::uint64_t rest =
            dropped == 64 ? mantissa : mantissa & ((std::uint64_t{1} << dropped) - 1);
        const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
        if (rest > half || (rest == half && (inexact || kept % 2 == 1)))
            ++kept; // a carry goes on into the exponent's bits
    }
    const auto bits = (static_cast<std::uint64_t>(std::max(top, -1022) + 1022) << 52) + kept;
    if (kept == 0 || bits >= 0x7FF0000000000000u) {
        outOfRange = true;
        return kept == 0 ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return bitCast<double>(bits);
}

} // namespace

DecimalDigits shortestDigits(double value) {
    return shortest(value);
}

DecimalDigits shortestDigits(float value) {
    return shortest(value);
}

double decimalToDouble(std::string_view digits, long long exponent, bool& outOfRange) {
    outOfRange = false;
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string_view::npos)
        return 0.0;
    const std::size_t last = digits.find_last_not_of('0');
    exponent += static_cast<long long>(digits.size() - 1 - last);
    digits = digits.substr(first, last - first + 1);
    // No halfway point between two doubles has more than 767 significant digits, so digits
    // beyond the 780th only matter as being there: a 1 one place further down stands for them.
    constexpr std::size_t kKept = 780;
    const bool cut = digits.size() > kKept;
    if (cut) {
        exponent += static_cast<long long>(digits.size() - kKept) - 1;
        digits = digits.substr(0, kKept);
    }
    const long long count = static_cast<long long>(digits.size()) + (cut ? 1 : 0);
    // 10^(count - 1 + exponent) <= value < 10^(count + exponent)
    if (count + exponent >= 310 || count + exponent <= -324) {
        outOfRange = true;
        return count + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }

    // Exact in a double, and one rounding: the product or quotient is the nearest double.
    static constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (count <= 15 && exponent >= -22 && exponent <= 22) {
        std::int64_t n = 0;
        for (char c : digits)
            n = n * 10 + (c - '0');
        const double whole = static_cast<double>(n);
        return exponent >= 0 ? whole * kExactPowers[exponent] : whole / kExactPowers[-exponent];
    }

    BigUnsigned n;
    for (std::size_t i = 0; i < digits.size(); i += 9) {
        std::uint32_t chunk = 0, scale = 1;
        for (std::size_t j = i; j < std::min(i + 9, digits.size()); ++j) {
            chunk = chunk * 10 + static_cast<std::uint32_t>(digits[j] - '0');
            scale *= 10;
        }
        n.multiplyAdd(scale, chunk);
    }
    if (cut)
        n.multiplyAdd(10, 1);
    const int e10 = static_cast<int>(exponent);
    if (e10 >= 0) {
        // An integer: its top 64 bits, and whether anything below them is set.
        n.multiplyByPowerOf5(e10);
        const int low = std::max(n.bitLength() - 64, 0);
        return nearestDouble(n.bitsFrom(low), e10 + low, n.anyBitBelow(low), outOfRange);
    }
    // n x 2^e10 / 5^-e10: a quotient of 63 or 64 bits by long division, and its remainder.
    BigUnsigned divisor(1);
    divisor.multiplyByPowerOf5(-e10);
    const int shift = divisor.bitLength() + 63 - n.bitLength();
    if (shift >= 0)
        n.shiftLeft(shift);
    else
        divisor.shiftLeft(-shift);
    divisor.shiftLeft(63);
    std::uint64_t quotient = 0;
    for (int bit = 63; bit >= 0; --bit) {
        if (compare(n, divisor) >= 0) {
            n.subtract(divisor);
            quotient |= std::uint64_t{1} << bit;
        }
        divisor.shiftRightOne();
    }
    return nearestDouble(quotient, e10 - shift, !n.isZero(), outOfRange);
}

} // namespace zmbr
