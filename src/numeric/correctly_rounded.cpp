// The fast evaluation of the correctly rounded functions, and the test that decides when it
// is enough (Ziv's strategy, as in Muller, "Elementary Functions", 3rd ed., ch. 12):
//  1. reduce the argument (Cody and Waite up to 16: the constant split in pieces whose
//     products by the small integer n are exact; past 16, Payne and Hanek's exact reduction
//     of numeric/payne_hanek.cpp), then look up a table at n (Tang's table method);
//  2. approximate in double-double (Dekker 1971: two-sum and two-product with Veltkamp's
//     split, since the build uses no fused multiply-add) with a relative error below the
//     bound stated at each function;
//  3. if hi + lo ± bound rounds to one double, that is the answer; otherwise, about one
//     call in 2^11, ask the multiword evaluation of solver/precise_fallback.cpp.
// The bounds are the sums of the error terms noted /* ≤ … */ beside each step, each rounded
// up; steps marked /* exact */ make no rounding error.
#include "numeric/correctly_rounded.h"
#include "numeric/double_bits.h"

#include "numeric/correctly_rounded_tables.h"
#include "numeric/payne_hanek.h"
#include "numeric/precise_fallback.h"

#include <bit>
#include <cstdint>
#include <limits>

namespace zmbr::rounded {
namespace {

using crtables::kExp2Table;
using crtables::kSinTable;

struct Pair {
    double hi, lo;
};

[[gnu::always_inline]] inline Pair twoSum(double a, double b) { /* exact: a + b = hi + lo */
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}
[[gnu::always_inline]] inline Pair fastTwoSum(double a, double b) { /* exact when |a| ≥ |b| */
    const double s = a + b;
    return {s, b - (s - a)};
}
[[gnu::always_inline]] inline Pair split(double a) { /* exact: Veltkamp, two halves of 26 bits */
    const double c = 134217729.0 * a;                // 2^27 + 1
    const double h = c - (c - a);
    return {h, a - h};
}
[[gnu::always_inline]] inline Pair
twoProduct(double a, double b) { /* exact: a·b = hi + lo, barring underflow */
    const double p = a * b;
    const Pair x = split(a), y = split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

[[gnu::always_inline]] inline double magnitude(double x) {
    return doubleOfBits(bitsOf(x) & ~(std::uint64_t{1} << 63));
}

// The double nearest hi + lo, if every value within relErr·|hi| of it rounds to that same
// double (rounding is monotonic, so the two ends decide). relErr must also cover the
// rounding of lo ± err, below 2^-104·|hi|.
[[gnu::always_inline]] inline bool roundsSurely(double hi, double lo, double relErr, double& out) {
    const double err = magnitude(hi) * relErr;
    const double down = hi + (lo - err), up = hi + (lo + err);
    out = down;
    return down == up;
}

double powerOfTwo(int e) { // 2^e for −1022 ≤ e ≤ 1023
    return doubleOfBits(static_cast<std::uint64_t>(e + 1023) << 52);
}

// sin(nπ/512 + s) for |s| ≤ π/1024 in double-double, n ≥ 0, from the table of sin jπ/512
// over a quarter turn.
[[gnu::always_inline]] inline Pair tableSine(int n) {
    const int q = (n >> 8) & 3, j = n & 255;
    const double* e = q & 1 ? kSinTable[256 - j] : kSinTable[j];
    return q & 2 ? Pair{-e[0], -e[1]} : Pair{e[0], e[1]};
}

// The reduced argument of |x| ≤ 16: |x| = n·π/512 + s.hi + s.lo with |s| ≤ π/1024·(1 + 2^-40)
// and |s − (s.hi + s.lo)| ≤ 2^-130: relative ≤ 2^-76 since |s| > 2^-54 (the closest a double
// in (0, 16] comes to a multiple of π/2, found with MPFR).
struct Reduced {
    int n;
    Pair s;
};

constexpr double kCodyWaiteLimit = 16; // n < 2^12 keeps n·kPi512[0 and 1] exact

[[gnu::always_inline]] inline Reduced reduce(double ax) {
    const double nf =
        (ax * crtables::kInvPi512 + 0x1.8p52) - 0x1.8p52; /* exact: the nearest integer */
    const double s1 = ax - nf * crtables::kPi512[0];      /* exact: n·piece exact, Sterbenz-like */
    const Pair t = twoSum(s1, -(nf * crtables::kPi512[1])); /* exact */
    // The third piece and π/512's remainder: ≤ 2^-130 absolute.
    return {static_cast<int>(nf), twoSum(t.hi, t.lo - nf * crtables::kPi512[2])};
}

// The reduced argument of 16 < |x| < 2^1024, in the same form: |x| = n·π/512 + s.hi + s.lo
// modulo 2π, 0 ≤ n ≤ 1024, |s| ≤ π/1024, with |s − (s.hi + s.lo)| ≤ 2^-102·|s| (terms below).
// The relative bound is what the table step needs where n is a multiple of 256 and s the
// distance of |x| to a multiple of π/2: for doubles that distance is at least 2^-60.9, at
// x = 6381956970095103·2^797 (the worst case of the literature on argument reduction:
// Muller, "Elementary Functions", 3rd ed., ch. 11; checked with MPFR by tools/crcheck).
Reduced reduceLarge(double ax) {
    // z = |x|/(π/512) modulo 1024, its fraction in six limbs, short by < 1¼·2^-192.
    std::uint32_t z[7];
    payne_hanek::turnsOf(ax, 8, z, 6);
    std::uint64_t f[3] = {(std::uint64_t{z[1]} << 32) | z[0], (std::uint64_t{z[3]} << 32) | z[2],
                          (std::uint64_t{z[5]} << 32) | z[4]};
    int n = static_cast<int>(z[6]);
    const bool negative = (f[2] >> 63) != 0; // fraction ≥ ½: the nearest n is the next one
    if (negative) {                          /* exact: 1 − fraction, in 192 bits */
        ++n;
        f[0] = ~f[0] + 1;
        f[1] = ~f[1] + (f[0] == 0 ? 1 : 0);
        f[2] = ~f[2] + (f[0] == 0 && f[1] == 0 ? 1 : 0);
    }
    // |t| = |z − n| ≤ ½ as t.hi + t.lo: its first 106 bits, the rest ≤ 2^-105·|t|.
    const std::uint64_t w[5] = {f[2], f[1], f[0], 0, 0}; // most significant first
    const int lead = w[0]   ? std::countl_zero(w[0])     // zero bits above the first one
                     : w[1] ? 64 + std::countl_zero(w[1])
                     : w[2] ? 128 + std::countl_zero(w[2])
                            : 192;
    if (lead == 192) // never for a double, but then s = 0 is exact
        return {n, {0.0, 0.0}};
    // t·2^(192+lead) = a·2^128 + b·2^64 + …, a's top bit set.
    const int word = lead / 64, bit = lead % 64;
    const auto shifted = [&](int i) {
        return bit == 0 ? w[i] : (w[i] << bit) | (w[i + 1] >> (64 - bit));
    };
    const std::uint64_t a = shifted(word), b = shifted(word + 1);
    const double sign = negative ? -1.0 : 1.0;
    const double th = sign * static_cast<double>(a >> 11) * powerOfTwo(-53 - lead); /* exact */
    const double tl = sign * static_cast<double>(((a & 0x7ff) << 42) | (b >> 22)) *
                      powerOfTwo(-106 - lead); /* exact: 53 bits each */
    // s = t·π/512 with π/512 = c.hi + c.lo (≤ 2^-106 relative): the product's low part is
    // exact, th·c.lo and tl·c.hi round by ≤ 2^-106 and 2^-105 of |s|, the missing tl·c.lo
    // and the sum ≤ 2^-105 each; with t's 2^-105 and z's 2^-192 (≤ 2^-138 of |s| where it
    // counts) ≤ 2^-102 in all.
    const double* c = crtables::kPi512Pair;
    const Pair p = twoProduct(th, c[0]); /* exact */
    return {n, fastTwoSum(p.hi, p.lo + (th * c[1] + tl * c[0]))};
}

// sin(a + s) with a = (n + 256·quarter)·π/512: sin |x| for quarter 0, cos |x| for quarter 1,
// as sin a·(1 + (cos s − 1)) + cos a·sin s; relative error ≤ 2^-66.5 (terms below).
[[gnu::always_inline]] inline Pair circular(const Reduced& r, int quarter) {
    const Pair a = tableSine(r.n + 256 * quarter);       // sin of the table angle
    const Pair b = tableSine(r.n + 256 * (quarter + 1)); // its cos
    const double s = r.s.hi, z = s * s;
    // sin s − s and cos s − 1 by their Taylor series; truncation ≤ 2^-85·|s| and ≤ 2^-82;
    // evaluation ≤ 4·2^-53 relative, i.e. ≤ 2^-67.5 of the result (|s|² ≤ 2^-16.7).
    const double sinTail = s * z * (-1.0 / 6 + z * (1.0 / 120 - z * (1.0 / 5040)));
    const double cosTail = z * (-0.5 + z * (1.0 / 24 - z * (1.0 / 720))) - s * r.s.lo;
    const Pair p = twoProduct(b.hi, s); /* exact */
    const Pair u = twoSum(a.hi, p.hi);  /* exact */
    // The small terms: table lo parts (2^-106), products and sums ≤ 2^-68 of the result.
    const double small = a.lo + (a.hi * cosTail + (b.lo * s + b.hi * (r.s.lo + sinTail)));
    return fastTwoSum(u.hi, u.lo + (p.lo + small));
}

// The slow evaluation's answers for the last arguments that needed it: a run meets the same
// few hard arguments again at every step. Key 0 (x = +0) never needs it, so marks a free slot.
template <int Tag> double remembered(double x, double (*slow)(double)) {
    struct Slot {
        std::uint64_t key = 0;
        double value = 0;
    };
    thread_local Slot slots[64];
    const std::uint64_t key = bitsOf(x);
    Slot& slot = slots[(key ^ (key >> 17) ^ (key >> 35)) & 63];
    if (slot.key != key)
        slot = {key, slow(x)};
    return slot.value;
}

constexpr double kCircularBound = 0x1p-65;   // sin, cos: ≤ 2^-66.5 proven, doubled
constexpr double kTangentBound = 0x1.6bp-64; // ≈ 2^-63.5: two of those and a division ≤ 2^-100

constexpr double kExpBound = 0x1p-66; // ≤ 2^-67 proven, doubled

int hiExponent(double v) { // e with 2^e ≤ v < 2^(e+1), v normal and positive
    return static_cast<int>(bitsOf(v) >> 52) - 1023;
}

// (hi0 + lo0)·2^k rounded to the grid of 2^-1074 for −1076 ≤ k ≤ −1022, hi in [0.99, 2): in
// units of g = 2^(−1074−k) relative to hi, hi = a + d with a on the grid, and the rounding
// adds −1, 0 or 1 units as (d + lo)/g lies on either side of ±½ or 1½.
double belowNormal(double hi0, double lo0, int k, double x) {
    const auto [hi, lo] = fastTwoSum(hi0, lo0); /* exact: now |lo| ≤ ulp(hi)/2 */
    const int gridExp = -1074 - k;
    const double g = powerOfTwo(gridExp);
    const int below = 52 - (hiExponent(hi) - gridExp); // hi's bits under the grid
    const std::uint64_t keep = ~((std::uint64_t{1} << (below > 52 ? 0 : below)) - 1);
    const double a = below > 52 ? 0.0 : doubleOfBits(bitsOf(hi) & keep); /* exact */
    const double f = (hi - a) / g + lo / g; // (d + lo)/g ≤ 2^-51 absolute
    const double margin = hi * kExpBound / g + 0x1p-50;
    const auto near = [&](double edge) { return magnitude(f - edge) <= margin; };
    if (near(0.5) || near(-0.5) || near(1.5))
        return remembered<3>(x, precise::roundedExp);
    const double units = (f > 0.5 ? 1.0 : 0.0) + (f > 1.5 ? 1.0 : 0.0) - (f < -0.5 ? 1.0 : 0.0);
    // a·2^k and units·2^-1074 lie on the grid below 2^-1021: the products and sum are exact.
    return a * powerOfTwo(k + 60) * 0x1p-60 + units * 0x1p-1074;
}

bool tinyForCircular(double ax) {
    return ax < 0x1p-28; // sin x and tan x round to x, cos x to 1 (|x³/3| < ulp(x)/2)
}

// The three functions from the reduced argument of |x| (x ≠ ±0, not tiny).
[[gnu::always_inline]] inline double sinOf(double x, const Reduced& r) {
    const Pair v = circular(r, 0);
    double out;
    if (!roundsSurely(v.hi, v.lo, kCircularBound, out))
        return remembered<0>(x, precise::roundedSin);
    return x < 0 ? -out : out;
}

[[gnu::always_inline]] inline double cosOf(double x, const Reduced& r) {
    const Pair v = circular(r, 1);
    double out;
    if (!roundsSurely(v.hi, v.lo, kCircularBound, out))
        return remembered<1>(x, precise::roundedCos);
    return out;
}

[[gnu::always_inline]] inline double tanOf(double x, const Reduced& r) {
    const Pair s = circular(r, 0), c = circular(r, 1);
    // s/c: the first quotient's remainder is exact (Dekker), the second quotient ≤ 2^-104.
    const double q = s.hi / c.hi;
    const Pair qc = twoProduct(q, c.hi); /* exact */
    const double ql = (((s.hi - qc.hi) - qc.lo) + s.lo - q * c.lo) / c.hi;
    double out;
    if (!roundsSurely(q, ql, kTangentBound, out))
        return remembered<2>(x, precise::roundedTan);
    return x < 0 ? -out : out;
}

// Past 16 radians, out of the way of the usual path: the exact reduction, and NaN for an
// infinity or a NaN.
[[gnu::noinline]] double largeSin(double x) {
    const double ax = magnitude(x);
    return ax <= std::numeric_limits<double>::max() ? sinOf(x, reduceLarge(ax)) : x - x;
}
[[gnu::noinline]] double largeCos(double x) {
    const double ax = magnitude(x);
    return ax <= std::numeric_limits<double>::max() ? cosOf(x, reduceLarge(ax)) : x - x;
}
[[gnu::noinline]] double largeTan(double x) {
    const double ax = magnitude(x);
    return ax <= std::numeric_limits<double>::max() ? tanOf(x, reduceLarge(ax)) : x - x;
}

} // namespace

double roundedSin(double x) {
    const double ax = magnitude(x);
    if (!(ax <= kCodyWaiteLimit)) [[unlikely]]
        return largeSin(x);
    if (tinyForCircular(ax))
        return x;
    return sinOf(x, reduce(ax));
}

double roundedCos(double x) {
    const double ax = magnitude(x);
    if (!(ax <= kCodyWaiteLimit)) [[unlikely]]
        return largeCos(x);
    if (tinyForCircular(ax))
        return 1.0;
    return cosOf(x, reduce(ax));
}

double roundedTan(double x) {
    const double ax = magnitude(x);
    if (!(ax <= kCodyWaiteLimit)) [[unlikely]]
        return largeTan(x);
    if (tinyForCircular(ax))
        return x;
    return tanOf(x, reduce(ax));
}

double roundedExp(double x) {
    if (!(x == x))
        return x + x;
    if (x > 709.8) // e^x > 2^1024
        return std::numeric_limits<double>::infinity();
    if (x < -745.2) // e^x < 2^-1075, half the smallest subnormal
        return 0.0;
    if (magnitude(x) < 0x1p-54) // e^x within 2^-54 of 1
        return 1.0;
    // x = n·ln2/128 + r, |r| ≤ ln2/256·(1 + 2^-40), n < 2^18.
    const double nf = (x * crtables::kInv128Ln2 + 0x1.8p52) - 0x1.8p52; /* exact */
    const double r1 = x - nf * crtables::kLn2by128[0];                  /* exact */
    const Pair t = twoSum(r1, -(nf * crtables::kLn2by128[1]));          /* exact */
    const Pair r = twoSum(t.hi, t.lo - nf * crtables::kLn2by128[2]);    /* ≤ 2^-110 absolute */
    const int n = static_cast<int>(nf);
    const int k = n >> 7;                   // floor(n/128)
    const double* tj = kExp2Table[n & 127]; // 2^(j/128)
    // e^r − 1 − r by Taylor to r^7: truncation ≤ 2^-83, evaluation ≤ 2^-69 (|r|²/2 ≤ 2^-18);
    // using r.hi alone there costs ≤ 2^-70.5.
    const double z = r.hi;
    const double q =
        z * z *
        (0.5 +
         z * (1.0 / 6 + z * (1.0 / 24 + z * (1.0 / 120 + z * (1.0 / 720 + z * (1.0 / 5040))))));
    const Pair p = twoProduct(tj[0], z);    /* exact */
    const Pair u = fastTwoSum(tj[0], p.hi); /* exact: |p| < |tj| */
    // T·(1 + r + q): the small terms ≤ 2^-68 of the result in all.
    const double lo = u.lo + (p.lo + (tj[1] + (tj[1] * z + tj[0] * (r.lo + q))));
    if (k < -1021) // the result may be subnormal: its grid is 2^-1074, coarser than u's
        return belowNormal(u.hi, lo, k, x);
    double out;
    if (!roundsSurely(u.hi, lo, kExpBound, out))
        return remembered<3>(x, precise::roundedExp);
    // ·2^k is exact below 2^1024; at k = 1024 the second doubling overflows as it must.
    out *= powerOfTwo(k > 1023 ? 1023 : k);
    if (k > 1023)
        out *= 2.0;
    return out;
}

} // namespace zmbr::rounded
