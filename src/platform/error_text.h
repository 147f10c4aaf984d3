#pragma once
// A file failure as the user is told of it, the same on every system: errno values differ
// between C libraries (WebAssembly's are not Linux's), and so do their wordings. Each errno a
// file operation gives is shown by its number and wording on Linux with glibc.

#include <string>

namespace zmbr {

// The failure's numeric code, as "Error. Try again." shows it.
int errorCode(int error);

// The failure in words.
std::string errorText(int error);

} // namespace zmbr
