#include "platform/cp932_table.h"

#include <cstdint>
#include <utility>

namespace zmbr::cp932 {

namespace {

// kDecodePage, kDecodePages, kEncodePage, kEncodePages and kDropped: cp932.map as the build
// writes it out (tools/codegen/cp932_tables.py), ready to use.
#include "platform/cp932_tables.inc"

} // namespace

std::uint16_t decode(unsigned code) {
    return code < 0x10000 ? kDecodePages[kDecodePage[code >> 8]][code & 0xFF] : kNoCode;
}

std::uint16_t encode(char32_t codePoint) {
    return codePoint < 0x10000 ? kEncodePages[kEncodePage[codePoint >> 8]][codePoint & 0xFF]
                               : kNoCode;
}

bool dropped(char32_t codePoint) {
    for (const auto& [first, last] : kDropped)
        if (codePoint >= first && codePoint <= last)
            return true;
    return false;
}

} // namespace zmbr::cp932
