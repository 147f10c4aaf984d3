#pragma once
// The exact reduction of a large angle (Payne and Hanek 1983): the fraction of a turn that
// any finite double makes, from enough bits of 2/π, in integer arithmetic alone.

#include <cstdint>

namespace zmbr::payne_hanek {

// The fraction limbs the reduction can give (the table of 2/π covers the largest double and
// this many limbs past its point, with three limbs to spare).
inline constexpr int kMaxFractionLimbs = 16;

// ax / (π/2^(k+1)) modulo 2^(k+2) — ax in units of π/2^(k+1), within one turn — for
// 16 ≤ ax < 2^1024 and 0 ≤ k ≤ 8, in fixed point with 32-bit limbs: out[fractionLimbs] the
// integer part (below 2^(k+2)), out[fractionLimbs − 1] … out[0] the fraction, most
// significant first, 1 ≤ fractionLimbs ≤ kMaxFractionLimbs. Truncated: it lies below the
// exact value by less than 1¼ units of out[0] (2^-32·fractionLimbs).
void turnsOf(double ax, int k, std::uint32_t* out, int fractionLimbs);

} // namespace zmbr::payne_hanek
