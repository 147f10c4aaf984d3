#pragma once
// Code page 932 as the program converts it: the tables the build writes from cp932.map.

#include <cstdint>

namespace zmbr::cp932 {

inline constexpr std::uint16_t kNoCode = 0xFFFF; // not a CP932 code, nor a code point it has

// The code point of a one-byte code (0x00-0xFF) or a two-byte code (lead * 256 + trail), or
// kNoCode. The two ranges never meet: a byte that leads a pair is no character alone.
std::uint16_t decode(unsigned code);

// The code of a code point, or kNoCode.
std::uint16_t encode(char32_t codePoint);

// True for a code point that leaves nothing behind in CP932 text (the language tags).
bool dropped(char32_t codePoint);

} // namespace zmbr::cp932
