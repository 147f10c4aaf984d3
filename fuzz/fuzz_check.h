#pragma once
// A failed check of a fuzz target: says what went wrong and aborts, so libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>
#include <string>
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

// True when a word of the text spells an undefined or infinite number ("nan", "inf",
// "infinity", in any case); words such as "Reinforcements" do not count.
inline bool hasNonFiniteWord(std::string_view text) {
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    std::size_t i = 0;
    while (i < text.size()) {
        if (!isLetter(text[i])) {
            ++i;
            continue;
        }
        std::string word;
        for (; i < text.size() && isLetter(text[i]); ++i)
            word.push_back(text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i]);
        if (word == "nan" || word == "inf" || word == "infinity")
            return true;
    }
    return false;
}

} // namespace zmbr::fuzz
