#pragma once
// The files' narrow character set is code page 932; the program works in UTF-8.

#include <string>
#include <string_view>

namespace zmbr {

// UTF-8 to CP932 bytes; a character CP932 lacks becomes "?", a language tag (U+E0000 to
// U+E007F) nothing.
std::string utf8ToCp932(std::string_view utf8);

// CP932 bytes to UTF-8; a byte sequence that is not CP932 becomes "?".
std::string cp932ToUtf8(std::string_view cp932);

bool isValidUtf8(std::string_view bytes);

// True when every byte sequence is a CP932 character, as in every file the program writes.
bool isValidCp932(std::string_view bytes);

// Number of characters (code points) of a UTF-8 text.
std::size_t utf8Length(std::string_view utf8);

// The text without its last `count` characters (code points).
std::string_view dropLastUtf8Chars(std::string_view utf8, std::size_t count);

} // namespace zmbr
