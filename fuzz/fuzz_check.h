#pragma once
// A failed check of a fuzz target: says what went wrong and aborts, so libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace zmbr::fuzz {

[[noreturn]] inline void fail(std::string_view what, std::string_view detail = {}) {
    std::fprintf(stderr, "fuzz check failed: %.*s\n  %.*s\n", static_cast<int>(what.size()),
                 what.data(), static_cast<int>(detail.size()), detail.data());
    std::abort();
}

inline void check(bool ok, std::string_view what, std::string_view detail = {}) {
    if (!ok)
        fail(what, detail);
}

// True when the text spells an undefined or infinite number ("nan", "inf", in any case).
inline bool hasNonFiniteWord(std::string_view text) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
        const char a = lower(text[i]), b = lower(text[i + 1]), c = lower(text[i + 2]);
        if ((a == 'n' && b == 'a' && c == 'n') || (a == 'i' && b == 'n' && c == 'f'))
            return true;
    }
    return false;
}

} // namespace zmbr::fuzz
