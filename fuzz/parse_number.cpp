// Any text through the number parser; what it accepts must format without an undefined number.

#include "numeric/number_text.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    double value = zmbr::parseNumber(text);
    if (std::isfinite(value)) {
        std::string shown = zmbr::formatNumber(value, "0.000E+00");
        if (shown.find("nan") != std::string::npos || shown.find("inf") != std::string::npos)
            std::abort();
    }
    return 0;
}
