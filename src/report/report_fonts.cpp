#include "report/report_fonts.h"

#include "platform/guarded_reading.h"

namespace zmbr {

namespace {

// Debian's fonts-liberation2 and fonts-ipafont-gothic. ZMBR_FONT_DIR, where the program is
// built with one, is looked in first (the page keeps its fonts there).
#ifndef ZMBR_FONT_DIR
#define ZMBR_FONT_DIR ""
#endif
const char* const kLiberation = "/usr/share/fonts/truetype/liberation2/";
const char* const kIpa = "/usr/share/fonts/opentype/ipafont-gothic/";

struct FaceFile {
    const char* folder;
    const char* file;
    const char* name;
};
const FaceFile kFaces[] = {{kLiberation, "LiberationSans-Regular.ttf", "LiberationSans"},
                           {kLiberation, "LiberationSans-Bold.ttf", "LiberationSans-Bold"},
                           {kLiberation, "LiberationMono-Regular.ttf", "LiberationMono"},
                           {kIpa, "ipag.ttf", "IPAGothic"}};

Expected<std::string> bytesOf(FileSystem& fs, const std::string& path) {
    std::optional<Failure> failure;
    auto file = openGuarded(fs, path, failure);
    if (!file)
        return *failure;
    std::string bytes;
    char buffer[65536];
    for (std::size_t got = 0;;) {
        if (file->read(buffer, sizeof buffer, got) != 0)
            return Failure{"The font file " + path + " cannot be read."};
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
    }
}

} // namespace

const std::vector<std::string>& ReportFonts::fileNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const FaceFile& f : kFaces)
            n.push_back(std::string(f.folder) + f.file);
        return n;
    }();
    return names;
}

Expected<std::shared_ptr<const ReportFonts>> ReportFonts::load(FileSystem& fs) {
    std::vector<TrueTypeFont> fonts;
    for (const FaceFile& f : kFaces) {
        const std::string own =
            std::string(ZMBR_FONT_DIR).empty() ? "" : std::string(ZMBR_FONT_DIR) + "/" + f.file;
        const std::string path = !own.empty() && fs.kindOf(own) == PathKind::NormalFile
                                     ? own
                                     : std::string(f.folder) + f.file;
        const bool fallback = &f == &kFaces[std::size(kFaces) - 1];
        Expected<std::string> bytes = bytesOf(fs, path);
        if (!bytes && fallback)
            break; // without it, characters no face has print as empty boxes
        if (!bytes)
            return Failure{"The report cannot be set: the font file " + path +
                           " cannot be read (Debian's package fonts-liberation2 holds it)."};
        Expected<TrueTypeFont> font = TrueTypeFont::read(std::move(*bytes), f.name);
        if (!font)
            return font.failure();
        fonts.push_back(std::move(*font));
    }
    return std::make_shared<const ReportFonts>(std::move(fonts));
}

std::vector<FaceRun> ReportFonts::runs(Face face, std::string_view utf8) const {
    std::vector<FaceRun> out;
    const int primary = static_cast<int>(face);
    for (char32_t c : codePointsOf(utf8)) {
        int font = primary;
        std::uint16_t g = fonts_[static_cast<std::size_t>(primary)].glyphOf(c);
        if (g == 0 && fonts_.size() > 3) {
            const std::uint16_t other = fonts_[3].glyphOf(c);
            if (other != 0) {
                font = 3;
                g = other;
            }
        }
        if (out.empty() || out.back().font != font)
            out.push_back({font, {}, {}, 0});
        const TrueTypeFont& f = fonts_[static_cast<std::size_t>(font)];
        out.back().glyphs.push_back(g);
        out.back().chars += c;
        out.back().width += static_cast<double>(f.advance(g)) / f.unitsPerEm();
    }
    return out;
}

double ReportFonts::width(Face face, double size, std::string_view utf8) const {
    double w = 0;
    for (const FaceRun& r : runs(face, utf8))
        w += r.width;
    return w * size;
}

TextWidth ReportFonts::measure() const {
    return
        [this](Face face, double size, std::string_view utf8) { return width(face, size, utf8); };
}

double ReportFonts::ascent(Face face) const {
    const TrueTypeFont& f = fonts_[static_cast<std::size_t>(face)];
    return static_cast<double>(f.ascent()) / f.unitsPerEm();
}

double ReportFonts::descent(Face face) const {
    const TrueTypeFont& f = fonts_[static_cast<std::size_t>(face)];
    return static_cast<double>(f.descent()) / f.unitsPerEm();
}

} // namespace zmbr
