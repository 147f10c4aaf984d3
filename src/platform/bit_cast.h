#pragma once
// The bits of one type as another of the same size: std::bit_cast, which the standard
// libraries of some toolchains (emscripten 3.1) still lack.

#include <cstring>

namespace zmbr {

template <typename To, typename From> To bitCast(const From& from) {
    static_assert(sizeof(To) == sizeof(From));
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}

} // namespace zmbr
