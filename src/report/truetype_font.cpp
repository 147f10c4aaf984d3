#include "report/truetype_font.h"

#include <algorithm>
#include <map>

namespace zmbr {

namespace {

// Big-endian reads that never pass the end: a short file reads as zeros and is then refused
// by the checks on its tables.
std::uint32_t u8at(const std::string& b, std::size_t at) {
    return at < b.size() ? static_cast<unsigned char>(b[at]) : 0;
}
std::uint32_t u16at(const std::string& b, std::size_t at) {
    return u8at(b, at) << 8 | u8at(b, at + 1);
}
std::uint32_t u32at(const std::string& b, std::size_t at) {
    return u16at(b, at) << 16 | u16at(b, at + 2);
}
int s16at(const std::string& b, std::size_t at) {
    const std::uint32_t v = u16at(b, at);
    return v >= 0x8000 ? static_cast<int>(v) - 0x10000 : static_cast<int>(v);
}

void put16(std::string& b, std::uint32_t v) {
    b += static_cast<char>(v >> 8 & 0xFF);
    b += static_cast<char>(v & 0xFF);
}
void put32(std::string& b, std::uint32_t v) {
    put16(b, v >> 16);
    put16(b, v & 0xFFFF);
}

std::uint32_t checksumOf(const std::string& table) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < table.size(); i += 4)
        sum += u32at(table, i);
    return sum;
}

} // namespace

std::u32string codePointsOf(std::string_view s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int extra = b < 0x80                ? 0
                          : b >= 0xF0 && b < 0xF8 ? 3
                          : b >= 0xE0             ? 2
                          : b >= 0xC0             ? 1
                                                  : -1;
        if (extra < 0 || (extra > 0 && i + static_cast<std::size_t>(extra) >= s.size())) {
            out += U'\uFFFD';
            ++i;
            continue;
        }
        char32_t c = extra == 0 ? b : b & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto t = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            ok = ok && (t & 0xC0) == 0x80;
            c = c << 6 | (t & 0x3F);
        }
        out += ok ? c : U'\uFFFD';
        i += ok ? static_cast<std::size_t>(extra) + 1 : 1;
    }
    return out;
}

Expected<TrueTypeFont> TrueTypeFont::read(std::string bytes, std::string name) {
    TrueTypeFont f;
    f.bytes_ = std::move(bytes);
    f.name_ = std::move(name);
    const std::string& b = f.bytes_;
    const Failure bad{"The font " + f.name_ + " is not a TrueType file."};
    if (u32at(b, 0) != 0x00010000 && u32at(b, 0) != 0x74727565) // 1.0 or 'true'
        return bad;
    const std::uint32_t count = u16at(b, 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = 12 + 16 * static_cast<std::size_t>(i);
        const Table t{u32at(b, at + 8), u32at(b, at + 12)};
        if (static_cast<std::uint64_t>(t.offset) + t.length > b.size())
            return bad;
        f.tables_.emplace_back(b.substr(at, 4), t);
    }
    for (const char* needed : {"head", "hhea", "hmtx", "maxp", "loca", "glyf", "cmap"})
        if (f.table(needed).length == 0)
            return bad;
    const std::uint32_t head = f.table("head").offset, hhea = f.table("hhea").offset;
    f.unitsPerEm_ = static_cast<int>(u16at(b, head + 18));
    f.box_ = {s16at(b, head + 36), s16at(b, head + 38), s16at(b, head + 40), s16at(b, head + 42)};
    f.locaFormat_ = s16at(b, head + 50);
    f.ascent_ = s16at(b, hhea + 4);
    f.descent_ = -s16at(b, hhea + 6);
    f.longMetrics_ = static_cast<int>(u16at(b, hhea + 34));
    f.glyphCount_ = static_cast<int>(u16at(b, f.table("maxp").offset + 4));
    const Table os2 = f.table("OS/2");
    f.capHeight_ =
        os2.length >= 90 && u16at(b, os2.offset) >= 2 ? s16at(b, os2.offset + 88) : f.ascent_;
    if (f.unitsPerEm_ == 0 || f.longMetrics_ == 0 || f.glyphCount_ == 0)
        return bad;
    const std::uint32_t cmap = f.table("cmap").offset;
    for (std::uint32_t i = 0, n = u16at(b, cmap + 2); i < n; ++i) {
        const std::uint32_t platform = u16at(b, cmap + 4 + 8 * i),
                            encoding = u16at(b, cmap + 6 + 8 * i),
                            at = cmap + u32at(b, cmap + 8 + 8 * i);
        const bool unicode = platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10));
        if (unicode && u16at(b, at) == 4 && f.cmap4_ == 0)
            f.cmap4_ = at;
        if (unicode && u16at(b, at) == 12 && f.cmap12_ == 0)
            f.cmap12_ = at;
    }
    if (f.cmap4_ == 0 && f.cmap12_ == 0)
        return Failure{"The font " + f.name_ + " has no Unicode character map."};
    return f;
}

TrueTypeFont::Table TrueTypeFont::table(const char* tag) const {
    for (const auto& [name, t] : tables_)
        if (name == tag)
            return t;
    return {};
}

std::uint16_t TrueTypeFont::glyphOf(char32_t c) const {
    const std::string& b = bytes_;
    if (cmap12_ != 0) {
        for (std::uint32_t i = 0, n = u32at(b, cmap12_ + 12); i < n; ++i) {
            const std::size_t g = cmap12_ + 16 + 12 * static_cast<std::size_t>(i);
            if (c >= u32at(b, g) && c <= u32at(b, g + 4))
                return static_cast<std::uint16_t>(u32at(b, g + 8) + (c - u32at(b, g)));
        }
        return 0;
    }
    if (c > 0xFFFF)
        return 0;
    const std::uint32_t segments = u16at(b, cmap4_ + 6) / 2;
    const std::size_t ends = cmap4_ + 14, starts = ends + 2 * segments + 2,
                      deltas = starts + 2 * segments, ranges = deltas + 2 * segments;
    for (std::uint32_t i = 0; i < segments; ++i) {
        if (c > u16at(b, ends + 2 * i))
            continue;
        const std::uint32_t start = u16at(b, starts + 2 * i);
        if (c < start)
            return 0;
        const std::uint32_t delta = u16at(b, deltas + 2 * i), range = u16at(b, ranges + 2 * i);
        if (range == 0)
            return static_cast<std::uint16_t>((c + delta) & 0xFFFF);
        const std::uint32_t g = u16at(b, ranges + 2 * i + range + 2 * (c - start));
        return g == 0 ? 0 : static_cast<std::uint16_t>((g + delta) & 0xFFFF);
    }
    return 0;
}

int TrueTypeFont::advance(std::uint16_t glyph) const {
    const int i = std::min<int>(glyph, longMetrics_ - 1);
    return static_cast<int>(u16at(bytes_, table("hmtx").offset + 4 * static_cast<std::size_t>(i)));
}

std::uint32_t TrueTypeFont::glyphOffset(std::uint16_t glyph) const {
    const std::uint32_t loca = table("loca").offset;
    return locaFormat_ == 0 ? 2 * u16at(bytes_, loca + 2 * glyph) : u32at(bytes_, loca + 4 * glyph);
}

std::string TrueTypeFont::subset(const std::set<std::uint16_t>& wanted) const {
    const std::string& b = bytes_;
    const std::uint32_t glyf = table("glyf").offset;
    // The glyphs asked for, glyph 0, and the parts of composite glyphs.
    std::set<std::uint16_t> keep{0};
    std::vector<std::uint16_t> todo(wanted.begin(), wanted.end());
    while (!todo.empty()) {
        const std::uint16_t g = todo.back();
        todo.pop_back();
        if (g >= glyphCount_ || !keep.insert(g).second)
            continue;
        const std::uint32_t at = glyf + glyphOffset(g);
        if (glyphOffset(g + 1) <= glyphOffset(g) || s16at(b, at) >= 0)
            continue;
        for (std::size_t p = at + 10;;) { // a composite glyph's components
            const std::uint32_t flags = u16at(b, p);
            todo.push_back(static_cast<std::uint16_t>(u16at(b, p + 2)));
            p += 4 + ((flags & 1) ? 4 : 2);
            p += (flags & 8) ? 2 : (flags & 0x40) ? 4 : (flags & 0x80) ? 8 : 0;
            if (!(flags & 0x20) || p >= b.size())
                break;
        }
    }
    std::string glyphs, loca;
    for (int g = 0; g <= glyphCount_; ++g) {
        put32(loca, static_cast<std::uint32_t>(glyphs.size()));
        if (g == glyphCount_)
            break;
        const auto id = static_cast<std::uint16_t>(g);
        if (keep.count(id) != 0) {
            glyphs += b.substr(glyf + glyphOffset(id), glyphOffset(id + 1) - glyphOffset(id));
            while (glyphs.size() % 4 != 0)
                glyphs += '\0';
        }
    }
    std::map<std::string, std::string> out;
    for (const char* tag : {"cmap", "cvt ", "fpgm", "head", "hhea", "hmtx", "maxp", "prep"}) {
        const Table t = table(tag);
        if (t.length != 0)
            out[tag] = b.substr(t.offset, t.length);
    }
    out["glyf"] = glyphs;
    out["loca"] = loca;
    std::string& head = out["head"];
    head.replace(8, 4, std::string(4, '\0')); // the whole file's checksum is not kept
    head[50] = 0;                             // long offsets in the new loca
    head[51] = 1;

    std::string file;
    const auto n = static_cast<std::uint32_t>(out.size());
    std::uint32_t power = 1, log = 0;
    while (power * 2 <= n) {
        power *= 2;
        ++log;
    }
    put32(file, 0x00010000);
    put16(file, n);
    put16(file, power * 16);
    put16(file, log);
    put16(file, n * 16 - power * 16);
    auto offset = static_cast<std::uint32_t>(12 + 16 * n);
    for (auto& [tag, data] : out) {
        file += tag;
        const auto length = static_cast<std::uint32_t>(data.size());
        while (data.size() % 4 != 0)
            data += '\0';
        put32(file, checksumOf(data));
        put32(file, offset);
        put32(file, length);
        offset += static_cast<std::uint32_t>(data.size());
    }
    for (const auto& [tag, data] : out)
        file += data;
    return file;
}

} // namespace zmbr
