#pragma once
// A line of a file as a message quotes it: short, and safe to show in a box or on a terminal.

#include <string>
#include <string_view>

namespace zmbr {

// The widest quote, counting an escape at its full length.
inline constexpr std::size_t kQuoteWidth = 40;

// The line in double quotes, decoded as UTF-8 or CP932. Control characters and bytes that do
// not decode are shown as \xNN, invisible format characters (such as a right-to-left mark) as
// \uNNNN; a line wider than kQuoteWidth is cut and ends in "…".
std::string quotedLine(std::string_view bytes, bool utf8);

// Whether a file's bytes read as UTF-8. The program writes CP932, so CP932 comes first and a
// file it wrote always reads back as it was; bytes CP932 cannot hold but UTF-8 can were typed
// in another editor.
bool readsAsUtf8(std::string_view bytes);

} // namespace zmbr
