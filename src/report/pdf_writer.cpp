#include "report/pdf_writer.h"

#include "numeric/correctly_rounded.h"
#include "report/sha256.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <set>

namespace zmbr {

namespace {

// A length to the thousandth of a point: integer arithmetic after one rounding, so the text is
// the same whatever the C library's printf does.
std::string num(double v) {
    if (!std::isfinite(v) || std::fabs(v) > 1e9)
        v = 0;
    const long long thousandths = std::llround(v * 1000);
    const long long whole = (thousandths < 0 ? -thousandths : thousandths) / 1000;
    long long part = (thousandths < 0 ? -thousandths : thousandths) % 1000;
    std::string text = (thousandths < 0 ? "-" : "") + std::to_string(whole);
    if (part != 0) {
        char digits[5];
        std::snprintf(digits, sizeof digits, ".%03lld", part);
        text += digits;
        while (text.back() == '0')
            text.pop_back();
    }
    return text;
}

std::string hex4(unsigned v) {
    char t[8];
    std::snprintf(t, sizeof t, "%04X", v & 0xFFFF);
    return t;
}

// A text string of the information dictionary: UTF-16 with its byte order mark.
std::string utf16Text(std::string_view utf8) {
    std::string out = "<FEFF";
    for (char32_t c : codePointsOf(utf8)) {
        if (c >= 0x10000) {
            const char32_t v = c - 0x10000;
            out += hex4(static_cast<unsigned>(0xD800 + (v >> 10)));
            out += hex4(static_cast<unsigned>(0xDC00 + (v & 0x3FF)));
        } else {
            out += hex4(static_cast<unsigned>(c));
        }
    }
    return out + ">";
}

std::string colour(const Rgb& c, const char* op) {
    return num(c.r / 255.0) + " " + num(c.g / 255.0) + " " + num(c.b / 255.0) + " " + op + "\n";
}

// The glyphs each face prints in the document, with the character each stands for.
using GlyphUse = std::map<std::uint16_t, char32_t>;

class PageWriter {
  public:
    PageWriter(const ReportFonts& fonts, std::vector<GlyphUse>& used)
        : fonts_(fonts), used_(used) {}

    std::string content(const Drawing& page) {
        std::string out;
        for (const DrawingItem& item : page.items) {
            if (const Shape* s = std::get_if<Shape>(&item))
                out += shape(*s);
            else
                out += label(std::get<Label>(item));
        }
        return out;
    }

  private:
    static double y(double top) { return kA4Height - top; }

    std::string shape(const Shape& s) const {
        if (s.points.empty() || (!s.stroke && !s.fill))
            return "";
        std::string out = "q\n";
        if (s.clip)
            out += num(s.clip->left) + " " + num(y(s.clip->top + s.clip->height)) + " " +
                   num(s.clip->width) + " " + num(s.clip->height) + " re W n\n";
        if (s.stroke) {
            out += num(s.stroke->width) + " w 1 J 1 j\n" + colour(s.stroke->colour, "RG");
            if (!s.stroke->dashes.empty()) {
                out += "[";
                for (std::size_t i = 0; i < s.stroke->dashes.size(); ++i)
                    out += (i ? " " : "") + num(s.stroke->dashes[i]);
                out += "] 0 d 0 J\n";
            }
        }
        if (s.fill)
            out += colour(*s.fill, "rg");
        for (std::size_t i = 0; i < s.points.size(); ++i)
            out += num(s.points[i].x) + " " + num(y(s.points[i].y)) + (i ? " l\n" : " m\n");
        if (s.closed)
            out += "h\n";
        out += s.stroke && s.fill ? "B\n" : s.fill ? "f\n" : "S\n";
        return out + "Q\n";
    }

    std::string label(const Label& l) {
        const std::vector<FaceRun> runs = fonts_.runs(l.face, l.text);
        double width = 0;
        for (const FaceRun& r : runs)
            width += r.width * l.size;
        if (runs.empty())
            return "";
        // The direction of the baseline: exact for the right angles a picture uses.
        double c = 1, s = 0;
        if (l.angle == 90 || l.angle == -270)
            c = 0, s = 1;
        else if (l.angle == -90 || l.angle == 270)
            c = 0, s = -1;
        else if (l.angle == 180 || l.angle == -180)
            c = -1, s = 0;
        else if (l.angle != 0) {
            const double radians = l.angle * 3.14159265358979323846 / 180;
            c = rounded::roundedCos(radians);
            s = rounded::roundedSin(radians);
        }
        double along = l.anchor == Anchor::Left     ? 0
                       : l.anchor == Anchor::Centre ? -width / 2
                                                    : -width;
        std::string out = "BT\n" + colour(l.colour, "rg");
        for (const FaceRun& r : runs) {
            GlyphUse& use = used_[static_cast<std::size_t>(r.font)];
            out += "/F" + std::to_string(r.font) + " " + num(l.size) + " Tf\n";
            out += num(c) + " " + num(s) + " " + num(-s) + " " + num(c) + " " +
                   num(l.at.x + c * along) + " " + num(y(l.at.y) + s * along) + " Tm\n<";
            for (std::size_t i = 0; i < r.glyphs.size(); ++i) {
                out += hex4(r.glyphs[i]);
                use.emplace(r.glyphs[i], r.chars[i]);
            }
            out += "> Tj\n";
            along += r.width * l.size;
        }
        return out + "ET\n";
    }

    const ReportFonts& fonts_;
    std::vector<GlyphUse>& used_;
};

class ObjectWriter {
  public:
    int reserve() { return static_cast<int>(++count_); }
    void begin(int id) {
        if (offsets_.size() < static_cast<std::size_t>(id))
            offsets_.resize(static_cast<std::size_t>(id));
        offsets_[static_cast<std::size_t>(id - 1)] = out_.size();
        out_ += std::to_string(id) + " 0 obj\n";
    }
    void object(int id, const std::string& body) {
        begin(id);
        out_ += body + "\nendobj\n";
    }
    void stream(int id, const std::string& dictionary, const std::string& data) {
        begin(id);
        out_ += "<< " + dictionary + " /Length " + std::to_string(data.size()) + " >>\nstream\n";
        out_ += data + "\nendstream\nendobj\n";
    }
    std::string& out() { return out_; }
    std::size_t count() const { return count_; }
    const std::vector<std::size_t>& offsets() const { return offsets_; }

  private:
    std::string out_;
    std::size_t count_ = 0;
    std::vector<std::size_t> offsets_;
};

// The character map that turns the glyphs back into text, for copying and searching.
std::string toUnicode(const GlyphUse& use) {
    std::string out = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::vector<std::pair<std::uint16_t, char32_t>> pairs(use.begin(), use.end());
    for (std::size_t at = 0; at < pairs.size(); at += 100) {
        const std::size_t n = std::min<std::size_t>(100, pairs.size() - at);
        out += std::to_string(n) + " beginbfchar\n";
        for (std::size_t i = at; i < at + n; ++i) {
            out += "<" + hex4(pairs[i].first) + "> <";
            const char32_t c = pairs[i].second;
            if (c >= 0x10000)
                out += hex4(static_cast<unsigned>(0xD800 + ((c - 0x10000) >> 10))) +
                       hex4(static_cast<unsigned>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            else
                out += hex4(static_cast<unsigned>(c));
            out += ">\n";
        }
        out += "endbfchar\n";
    }
    return out + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend";
}

// Six capitals that name a cut-down face, from the glyphs it keeps.
std::string subsetTag(const GlyphUse& use) {
    std::string glyphs;
    for (const auto& entry : use)
        glyphs += hex4(entry.first);
    const std::string digest = sha256Hex(glyphs);
    std::string tag;
    for (int i = 0; i < 6; ++i)
        tag += static_cast<char>(
            'A' + std::stoi(digest.substr(2 * static_cast<std::size_t>(i), 2), nullptr, 16) % 26);
    return tag;
}

void writeFont(ObjectWriter& w, int id, const TrueTypeFont& font, const GlyphUse& use) {
    const double scale = 1000.0 / font.unitsPerEm();
    const std::string name = subsetTag(use) + "+" + font.name();
    const int descendant = w.reserve(), descriptor = w.reserve(), file = w.reserve(),
              cmap = w.reserve();
    w.object(id, "<< /Type /Font /Subtype /Type0 /BaseFont /" + name +
                     " /Encoding /Identity-H /DescendantFonts [" + std::to_string(descendant) +
                     " 0 R] /ToUnicode " + std::to_string(cmap) + " 0 R >>");
    std::string widths;
    for (const auto& [glyph, c] : use)
        widths += std::to_string(glyph) + " [" + num(font.advance(glyph) * scale) + "] ";
    w.object(descendant, "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name +
                             " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) "
                             "/Supplement 0 >> /FontDescriptor " +
                             std::to_string(descriptor) + " 0 R /DW 0 /W [" + widths +
                             "] /CIDToGIDMap /Identity >>");
    const std::vector<int>& box = font.box();
    w.object(descriptor, "<< /Type /FontDescriptor /FontName /" + name + " /Flags 32 /FontBBox [" +
                             num(box[0] * scale) + " " + num(box[1] * scale) + " " +
                             num(box[2] * scale) + " " + num(box[3] * scale) +
                             "] /ItalicAngle 0 /Ascent " + num(font.ascent() * scale) +
                             " /Descent " + num(-font.descent() * scale) + " /CapHeight " +
                             num(font.capHeight() * scale) + " /StemV 80 /FontFile2 " +
                             std::to_string(file) + " 0 R >>");
    std::set<std::uint16_t> glyphs;
    for (const auto& entry : use)
        glyphs.insert(entry.first);
    const std::string bytes = font.subset(glyphs);
    w.stream(file, "/Length1 " + std::to_string(bytes.size()), bytes);
    w.stream(cmap, "", toUnicode(use));
}

std::string pdfDate(const LocalDateTime& t) {
    char text[40];
    std::snprintf(text, sizeof text, "(D:%04d%02d%02d%02d%02d%02d)", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

} // namespace

std::string writePdf(const std::vector<Drawing>& pages, const ReportFonts& fonts,
                     const PdfInfo& info) {
    std::vector<GlyphUse> used(fonts.fonts().size());
    std::vector<std::string> contents;
    PageWriter painter(fonts, used);
    for (const Drawing& page : pages)
        contents.push_back(painter.content(page));

    ObjectWriter w;
    w.out() = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    const int catalog = w.reserve(), tree = w.reserve(), information = w.reserve();
    std::vector<int> fontIds(used.size());
    std::string fontNames;
    for (std::size_t f = 0; f < used.size(); ++f) {
        if (used[f].empty())
            continue;
        fontIds[f] = w.reserve();
        fontNames += "/F" + std::to_string(f) + " " + std::to_string(fontIds[f]) + " 0 R ";
    }
    std::string kids;
    std::vector<int> pageIds;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        pageIds.push_back(w.reserve());
        kids += std::to_string(pageIds.back()) + " 0 R ";
    }
    w.object(catalog, "<< /Type /Catalog /Pages " + std::to_string(tree) + " 0 R >>");
    w.object(tree,
             "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
    w.object(information, "<< /Title " + utf16Text(info.title) + " /Creator " +
                              utf16Text(info.creator) + " /Producer " + utf16Text(info.creator) +
                              " /CreationDate " + pdfDate(info.date) + " >>");
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const int content = w.reserve();
        w.object(pageIds[p], "<< /Type /Page /Parent " + std::to_string(tree) +
                                 " 0 R /MediaBox [0 0 " + num(kA4Width) + " " + num(kA4Height) +
                                 "] /Resources << /Font << " + fontNames + ">> >> /Contents " +
                                 std::to_string(content) + " 0 R >>");
        w.stream(content, "", contents[p]);
    }
    for (std::size_t f = 0; f < used.size(); ++f)
        if (!used[f].empty())
            writeFont(w, fontIds[f], fonts.fonts()[f], used[f]);

    const std::size_t xref = w.out().size();
    std::string& out = w.out();
    out += "xref\n0 " + std::to_string(w.count() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : w.offsets()) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        out += line;
    }
    // The file's identifier: its own digest, so the same pages make the same file.
    const std::string id = sha256Hex(out).substr(0, 32);
    out += "trailer\n<< /Size " + std::to_string(w.count() + 1) + " /Root " +
           std::to_string(catalog) + " 0 R /Info " + std::to_string(information) + " 0 R /ID [<" +
           id + "> <" + id + ">] >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

} // namespace zmbr
