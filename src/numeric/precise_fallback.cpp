// Fixed point with 32-bit limbs (standard C++ only): a value is Σ w[i]·2^(32(i−F)), w[0] the
// lowest fraction limb and w[F] the integer part (two's complement where a difference may be
// negative). The functions are summed Taylor series (Muller, "Elementary Functions", ch. 4)
// after an additive reduction by k·π/2 or k·ln2 with those constants to 544 bits (past 16
// radians, Payne and Hanek's, numeric/payne_hanek.cpp). Every truncation costs less than one
// unit of the last limb (2^-32F); each caller counts its units and rounds only when the value
// ± that error rounds to one double (Ziv's strategy: with 288 bits first and 512 bits if that
// does not decide, which by the worst cases known for these functions, Lefèvre and Muller
// 2001, needing fewer than 130 bits, it always does. Their search of the circular functions
// does not reach the largest arguments; there 512 bits decide unless the exact value lies
// within 2^-440 of its size from a midpoint, a chance of about 2^-380 for each double).
#include "numeric/precise_fallback.h"
#include "numeric/double_bits.h"

#include "numeric/correctly_rounded_tables.h"
#include "numeric/payne_hanek.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace zmbr::precise {
namespace {

using std::uint32_t;
using std::uint64_t;

template <int F> struct Fixed {
    uint32_t w[F + 1] = {};

    bool negative() const { return (w[F] >> 31) != 0; }
    bool isZero() const {
        for (uint32_t limb : w)
            if (limb != 0)
                return false;
        return true;
    }
};

template <int F> Fixed<F> operator+(const Fixed<F>& a, const Fixed<F>& b) {
    Fixed<F> r;
    uint64_t carry = 0;
    for (int i = 0; i <= F; ++i) {
        carry += uint64_t{a.w[i]} + b.w[i];
        r.w[i] = static_cast<uint32_t>(carry);
        carry >>= 32;
    }
    return r;
}

template <int F> Fixed<F> operator-(const Fixed<F>& a, const Fixed<F>& b) {
    Fixed<F> r;
    uint64_t borrow = 0;
    for (int i = 0; i <= F; ++i) {
        const uint64_t d = uint64_t{a.w[i]} - b.w[i] - borrow;
        r.w[i] = static_cast<uint32_t>(d);
        borrow = (d >> 32) & 1;
    }
    return r;
}

// a·b for a, b ≥ 0 and a·b < 2^31, truncated: error < 1 unit.
template <int F> Fixed<F> operator*(const Fixed<F>& a, const Fixed<F>& b) {
    uint32_t full[2 * F + 2] = {};
    for (int i = 0; i <= F; ++i) {
        uint64_t carry = 0;
        for (int j = 0; j <= F; ++j) {
            carry += uint64_t{a.w[i]} * b.w[j] + full[i + j];
            full[i + j] = static_cast<uint32_t>(carry);
            carry >>= 32;
        }
        full[i + F + 1] = static_cast<uint32_t>(carry);
    }
    Fixed<F> r;
    std::memcpy(r.w, full + F, sizeof r.w);
    return r;
}

// a/d for a ≥ 0, truncated: error < 1 unit.
template <int F> Fixed<F> divide(const Fixed<F>& a, uint32_t d) {
    Fixed<F> r;
    uint64_t rem = 0;
    for (int i = F; i >= 0; --i) {
        rem = (rem << 32) | a.w[i];
        r.w[i] = static_cast<uint32_t>(rem / d);
        rem %= d;
    }
    return r;
}

// a·n for a ≥ 0, exact while it stays below 2^31.
template <int F> Fixed<F> times(const Fixed<F>& a, uint32_t n) {
    Fixed<F> r;
    uint64_t carry = 0;
    for (int i = 0; i <= F; ++i) {
        carry += uint64_t{a.w[i]} * n;
        r.w[i] = static_cast<uint32_t>(carry);
        carry >>= 32;
    }
    return r;
}

// A constant from the 544-bit tables, truncated to F fraction limbs: error < 1 unit.
template <int F> Fixed<F> constant(const uint32_t (&words)[17]) {
    Fixed<F> r;
    for (int i = 0; i <= F; ++i)
        r.w[i] = words[F - i];
    return r;
}

// |x| exactly, for |x| < 2^31 whose last bit is not below 2^-32F.
template <int F> Fixed<F> fromDouble(double x) {
    const uint64_t bits = bitsOf(x);
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    const uint64_t mantissa = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
    const int lowBit = biased - 1075 + 32 * F; // bit index of the mantissa's last bit
    Fixed<F> r;
    for (int b = 0; b < 53; ++b)
        if ((mantissa >> b) & 1) {
            const int at = lowBit + b;
            r.w[at / 32] |= uint32_t{1} << (at % 32);
        }
    return r;
}

template <int F> int bitAt(const Fixed<F>& a, int index) {
    return static_cast<int>((a.w[index / 32] >> (index % 32)) & 1);
}

template <int F> int topBit(const Fixed<F>& a) {
    for (int i = F; i >= 0; --i)
        if (a.w[i] != 0)
            return 32 * i + 31 - std::countl_zero(a.w[i]);
    return -1;
}

// a·2^shift for shift ≥ 0, exact while it stays below 2^31.
template <int F> Fixed<F> shiftedLeft(const Fixed<F>& a, int shift) {
    Fixed<F> r;
    const int limbs = shift / 32, bits = shift % 32;
    for (int i = F; i >= limbs; --i) {
        uint64_t v = uint64_t{a.w[i - limbs]} << bits;
        if (bits != 0 && i - limbs - 1 >= 0)
            v |= a.w[i - limbs - 1] >> (32 - bits);
        r.w[i] = static_cast<uint32_t>(v);
    }
    return r;
}

// a/b for 0 ≤ a < 4 and 1 ≤ b < 2, by restoring division, truncated: error < 1 unit.
template <int F> Fixed<F> quotient(const Fixed<F>& a, const Fixed<F>& b) {
    // The integer quotient of a·2^32F·2^32F by b·2^32F, one bit at a time from the top.
    Fixed<F> rem, q;
    for (int i = topBit(a) + 32 * F; i >= 0; --i) {
        rem = shiftedLeft(rem, 1);
        if (i >= 32 * F)
            rem.w[0] |= static_cast<uint32_t>(bitAt(a, i - 32 * F));
        const Fixed<F> t = rem - b;
        if (!t.negative()) {
            rem = t;
            q.w[i / 32] |= uint32_t{1} << (i % 32);
        }
    }
    return q;
}

struct Rounded {
    bool decided;
    double value;
};

// The double nearest ±V·2^e2 and whether it is sure: V's error is below 2^errorBits units,
// and V ± that error must round to one double.
template <int F> Rounded roundToDouble(const Fixed<F>& v, int e2, bool negative, int errorBits) {
    const int m = topBit(v);
    if (m < 0)
        return {false, 0};               // never: the functions are not 0 here
    const int leading = m - 32 * F + e2; // exponent of V·2^e2's leading bit
    const uint64_t sign = negative ? uint64_t{1} << 63 : 0;
    if (leading >= 1024)
        return {true, doubleOfBits(sign | (uint64_t{0x7ff} << 52))};
    const int precision = leading >= -1022 ? 53 : 1075 + leading;
    if (precision < 0) // below half the smallest subnormal
        return {true, doubleOfBits(sign)};
    const int dropped = m + 1 - precision;
    if (dropped < errorBits + 3)
        return {false, 0}; // never: V carries over 190 significant bits
    uint64_t mantissa = 0;
    for (int b = m; b >= dropped; --b)
        mantissa = (mantissa << 1) | static_cast<uint64_t>(bitAt(v, b));
    const int roundBit = bitAt(v, dropped - 1);
    // V lies within 2^errorBits units of a midpoint between two doubles when all bits
    // between the round bit and the error repeat the round bit.
    bool decided = false;
    for (int b = dropped - 2; b > errorBits && !decided; --b)
        decided = bitAt(v, b) != roundBit;
    mantissa += static_cast<uint64_t>(roundBit);
    // A carry out of the mantissa moves into the exponent field, up to infinity.
    const uint64_t bits =
        leading >= -1022 ? (static_cast<uint64_t>(leading + 1022) << 52) + mantissa : mantissa;
    return {decided, doubleOfBits(sign | bits)};
}

template <int F> Rounded expWith(double x) {
    const Fixed<F> ln2 = constant<F>(crtables::kLn2Words);
    // k near x/ln2, then r = x − k·ln2 brought into [0, ln2): k·ln2 is off by < |k| ≤ 1076 units.
    int k = static_cast<int>(x * 1.4426950408889634);
    const Fixed<F> ax = fromDouble<F>(x);
    const Fixed<F> kl = times(ln2, static_cast<uint32_t>(k < 0 ? -k : k));
    Fixed<F> r = x < 0 ? kl - ax : ax - kl;
    while (r.negative()) {
        --k;
        r = r + ln2;
    }
    while (!(r - ln2).negative()) {
        ++k;
        r = r - ln2;
    }
    // e^r = Σ r^i/i!, every term positive: each adds < 3 units, r's 2^11 units cost 2^12.
    Fixed<F> one;
    one.w[F] = 1;
    Fixed<F> sum = one + r, term = r;
    for (uint32_t i = 2; !term.isZero(); ++i) {
        term = divide(term * r, i);
        sum = sum + term;
    }
    return roundToDouble(sum, k, false, 14);
}

enum class Circular { Sin, Cos, Tan };

template <int F> Rounded circularWith(double x, Circular f) {
    const bool xNegative = x < 0;
    const double ax = xNegative ? -x : x;
    Fixed<F> one;
    one.w[F] = 1;
    int n;
    Fixed<F> r;
    bool rNegative;
    if (ax <= 16) {
        // n near |x|/(π/2), r = |x| − n·π/2 off by < n ≤ 11 units.
        n = static_cast<int>(ax * 0.6366197723675814 + 0.5);
        r = fromDouble<F>(ax) - times(constant<F>(crtables::kHalfPiWords), uint32_t(n));
        rNegative = r.negative();
        if (rNegative)
            r = Fixed<F>{} - r;
    } else {
        // |x|/(π/2) modulo 4 exactly but for < 1¼ units (Payne and Hanek), its fraction taken
        // to the nearer quarter turn; r = that·π/2 off by < 2 + ½ + 1 units.
        uint32_t turns[F + 1];
        payne_hanek::turnsOf(ax, 0, turns, F);
        Fixed<F> fraction;
        std::memcpy(fraction.w, turns, F * sizeof(uint32_t));
        n = static_cast<int>(turns[F]);
        rNegative = (fraction.w[F - 1] >> 31) != 0; // ≥ ½: toward the next quarter turn
        if (rNegative) {
            ++n;
            fraction = one - fraction;
        }
        r = fraction * constant<F>(crtables::kHalfPiWords);
    }
    // sin r and cos r by their series; the terms fall since |r| < 1: < 2^9 units in all.
    Fixed<F> sinPlus = r, sinMinus, cosPlus = one, cosMinus, term = r;
    for (uint32_t i = 2; !term.isZero(); ++i) {
        term = divide(term * r, i);
        Fixed<F>& into = i % 4 == 0   ? cosPlus
                         : i % 4 == 1 ? sinPlus
                         : i % 4 == 2 ? cosMinus
                                      : sinMinus;
        into = into + term;
    }
    const Fixed<F> sinR = sinPlus - sinMinus, cosR = cosPlus - cosMinus; // both ≥ 0
    // x = ±(n·π/2 + r): which of sin r, cos r each function takes, and its sign.
    const bool swap = (n & 1) != 0;
    const Fixed<F>& sinPart = swap ? cosR : sinR; // |sin x| = this
    const Fixed<F>& cosPart = swap ? sinR : cosR; // |cos x| = this
    const int q = n & 3;
    // The signs of sin and cos of |x|: sin r < 0 when rNegative.
    const bool sinNeg = swap ? (q == 3) : ((q == 2) != rNegative);
    const bool cosNeg = swap ? ((q == 1) != rNegative) : (q == 2);
    if (f == Circular::Sin)
        return roundToDouble(sinPart, 0, sinNeg != xNegative, 10);
    if (f == Circular::Cos)
        return roundToDouble(cosPart, 0, cosNeg, 10);
    // tan = sin/cos with both scaled into [1, 2): the scaling multiplies their errors.
    const int sinShift = 32 * F - topBit(sinPart), cosShift = 32 * F - topBit(cosPart);
    const Fixed<F> quot = quotient(shiftedLeft(sinPart, sinShift), shiftedLeft(cosPart, cosShift));
    const int worst = sinShift > cosShift ? sinShift : cosShift;
    return roundToDouble(quot, cosShift - sinShift, (sinNeg != cosNeg) != xNegative, worst + 12);
}

template <class Eval> double withZiv(Eval eval) {
    const Rounded first = eval.template operator()<9>();
    if (first.decided)
        return first.value;
    return eval.template operator()<16>().value;
}

} // namespace

double roundedExp(double x) {
    return withZiv([x]<int F>() { return expWith<F>(x); });
}
double roundedSin(double x) {
    return withZiv([x]<int F>() { return circularWith<F>(x, Circular::Sin); });
}
double roundedCos(double x) {
    return withZiv([x]<int F>() { return circularWith<F>(x, Circular::Cos); });
}
double roundedTan(double x) {
    return withZiv([x]<int F>() { return circularWith<F>(x, Circular::Tan); });
}

} // namespace zmbr::precise
