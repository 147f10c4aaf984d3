// Any value, float or double, through any display pattern: no crash, no endless loop.

#include "numeric/number_text.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < sizeof(double) + 1)
        return 0;
    double value;
    std::memcpy(&value, data, sizeof value);
    float single;
    std::memcpy(&single, data, sizeof single);
    std::string pattern(reinterpret_cast<const char*>(data) + sizeof value + 1,
                        size - sizeof value - 1);
    if (data[sizeof value] & 1)
        zmbr::formatNumber(single, pattern);
    else
        zmbr::formatNumber(value, pattern);
    return 0;
}
