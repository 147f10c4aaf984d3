// ax = m·2^e with m a 53-bit integer, and 2/π = Σ w_j·2^-32(j+1) (the words of the table).
// ax·2/π·2^k = Σ m·w_j·2^(e+k−32(j+1)): a word with e + k − 32(j + 1) ≥ k + 2 adds a
// multiple of 2^(k+2), a whole number of turns, and is left out; of the rest, the K words
// that follow are multiplied by m exactly, and the words after them are dropped. So the
// reduction is exact but for that one truncation, whatever the size of ax: no bit of ax is
// lost to a rounding (Muller, "Elementary Functions", 3rd ed., ch. 11).
#include "numeric/payne_hanek.h"

#include "numeric/correctly_rounded_tables.h"
#include "numeric/double_bits.h"

#include <cstdint>

namespace zmbr::payne_hanek {

using std::uint32_t;
using std::uint64_t;

namespace {

constexpr int kSpareLimbs = 3; // words of 2/π past the fraction wanted
constexpr int kMaxWords = kMaxFractionLimbs + kSpareLimbs;
constexpr int kTableWords = sizeof crtables::kTwoOverPiWords / sizeof(uint32_t);

// 32 bits of p from bit `at` on (p little-endian, with a limb to spare past at + 32).
uint32_t limbAt(const uint32_t* p, int at) {
    const uint64_t pair = (uint64_t{p[at / 32 + 1]} << 32) | p[at / 32];
    return static_cast<uint32_t>(pair >> (at % 32));
}

} // namespace

void turnsOf(double ax, int k, uint32_t* out, int fractionLimbs) {
    const uint64_t bits = bitsOf(ax);
    const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52); // ax ≥ 16: normal
    const int e = static_cast<int>(bits >> 52) - 1075;
    // The first word kept: the words before it hold the weights 2^-1 … 2^-32·j0, at least
    // 2^-(e−2), whose products with m·2^(e+k) are whole multiples of 2^(k+2).
    const int j0 = e >= 2 ? (e - 2) / 32 : 0;
    const int words = fractionLimbs + kSpareLimbs;
    static_assert(30 + kMaxWords <= kTableWords, "2/π's table covers e = 971, the largest");
    // p = m · (w_j0 … w_j0+K−1 as one integer), exact: K + 2 limbs, and one to spare.
    uint32_t p[kMaxWords + 3] = {};
    const uint32_t mLow = static_cast<uint32_t>(m), mHigh = static_cast<uint32_t>(m >> 32);
    for (int i = 0; i < words; ++i) { /* exact */
        const uint64_t w = crtables::kTwoOverPiWords[j0 + words - 1 - i];
        const uint64_t low = w * mLow + p[i];
        p[i] = static_cast<uint32_t>(low);
        const uint64_t high = w * mHigh + (low >> 32) + p[i + 1];
        p[i + 1] = static_cast<uint32_t>(high);
        p[i + 2] = static_cast<uint32_t>(high >> 32);
    }
    // The units point of ax·2/π in p: p·2^-point = ax·2/π less whole turns and the dropped
    // words. 32K − 33 ≤ point ≤ 32K + 49 (e ≥ −49 since ax ≥ 16), so with three spare words
    // the fraction wanted lies inside p, and the integer part below its top.
    const int point = 32 * (j0 + words) - e;
    // The dropped words weigh < m·2^-point < 2^(53−point+k) units of ax·2/π·2^k, below
    // 2^(k−10−32F) ≤ ¼ of out[0]; out[0]'s own truncation costs < 1 more.
    const int low = point - k - 32 * fractionLimbs;
    for (int i = 0; i < fractionLimbs; ++i)
        out[i] = limbAt(p, low + 32 * i);
    out[fractionLimbs] = limbAt(p, point - k) & ((uint32_t{1} << (k + 2)) - 1);
}

} // namespace zmbr::payne_hanek
