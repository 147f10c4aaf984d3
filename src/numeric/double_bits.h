#pragma once
// The bits of a double and back, by copying: std::bit_cast is missing from some standard
// libraries the core is built with.

#include <cstdint>
#include <cstring>

namespace zmbr {

inline std::uint64_t bitsOf(double x) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

inline double doubleOfBits(std::uint64_t bits) {
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

} // namespace zmbr
