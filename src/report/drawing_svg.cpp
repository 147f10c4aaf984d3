#include "report/drawing_svg.h"

#include "numeric/number_text.h"
#include "report/truetype_font.h"
#include "study/study_picture.h"

#include <algorithm>
#include <cmath>

namespace zmbr {

namespace {

// A length or an angle to the thousandth, by the program's own exact formatting: the same
// text whatever the C library or the locale.
std::string num(double v) {
    if (!std::isfinite(v) || std::fabs(v) > 1e9)
        v = 0;
    std::string text = formatNumber(v, "0.###");
    if (text.back() == '.')
        text.pop_back();
    return text;
}

std::string hex(Rgb c) {
    static const char digits[] = "0123456789abcdef";
    std::string text = "#";
    for (std::uint8_t v : {c.r, c.g, c.b}) {
        text += digits[v >> 4];
        text += digits[v & 15];
    }
    return text;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A character XML 1.0 may hold; others (control characters, broken UTF-8, which a file's
// name may bring) become U+FFFD.
bool xmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c < 0xD800) ||
           (c >= 0xE000 && c < 0xFFFE) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The text as XML character data, fit for an attribute's quotes too.
std::string escaped(std::string_view utf8) {
    std::string out;
    for (char32_t c : codePointsOf(utf8)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            appendUtf8(out, xmlCharacter(c) ? c : U'\uFFFD');
        }
    }
    return out;
}

std::string attribute(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + value + "\"";
}

// The boxes shapes are clipped to, each once, named clip1, clip2, ... in order of first use.
class ClipBoxes {
  public:
    explicit ClipBoxes(const Drawing& d) {
        for (const DrawingItem& item : d.items)
            if (const Shape* s = std::get_if<Shape>(&item); s && s->clip && !idOf(*s->clip))
                boxes_.push_back(*s->clip);
    }
    std::size_t idOf(const Box& b) const {
        for (std::size_t i = 0; i < boxes_.size(); ++i)
            if (boxes_[i].left == b.left && boxes_[i].top == b.top && boxes_[i].width == b.width &&
                boxes_[i].height == b.height)
                return i + 1;
        return 0;
    }
    std::string defs() const {
        if (boxes_.empty())
            return "";
        std::string out = "<defs>\n";
        for (std::size_t i = 0; i < boxes_.size(); ++i)
            out += "<clipPath id=\"clip" + std::to_string(i + 1) + "\"><rect" +
                   attribute("x", num(boxes_[i].left)) + attribute("y", num(boxes_[i].top)) +
                   attribute("width", num(boxes_[i].width)) +
                   attribute("height", num(boxes_[i].height)) + "/></clipPath>\n";
        return out + "</defs>\n";
    }

  private:
    std::vector<Box> boxes_;
};

// A closed shape of four points with sides along the axes: a map's cell, a bar's band, a
// frame. Unstroked, it is drawn with crisp edges, so that boxes side by side show no seams.
bool isUprightBox(const Shape& s) {
    if (!s.closed || s.points.size() != 4)
        return false;
    const auto& p = s.points;
    return (p[0].y == p[1].y && p[1].x == p[2].x && p[2].y == p[3].y && p[3].x == p[0].x) ||
           (p[0].x == p[1].x && p[1].y == p[2].y && p[2].x == p[3].x && p[3].y == p[0].y);
}

std::string strokeAttributes(const Stroke& s) {
    std::string out = attribute("stroke", hex(s.colour)) + attribute("stroke-width", num(s.width)) +
                      attribute("stroke-linejoin", "round");
    if (!s.dashes.empty()) {
        std::string dashes;
        for (double v : s.dashes)
            dashes += (dashes.empty() ? "" : ",") + num(v);
        out += attribute("stroke-dasharray", dashes);
    }
    return out;
}

std::string shape(const Shape& s, const ClipBoxes& clips) {
    if (s.points.empty() || (!s.stroke && !s.fill))
        return "";
    std::string out;
    if (isUprightBox(s)) {
        const double left = std::min(s.points[0].x, s.points[2].x);
        const double top = std::min(s.points[0].y, s.points[2].y);
        out = "<rect" + attribute("x", num(left)) + attribute("y", num(top)) +
              attribute("width", num(std::fabs(s.points[2].x - s.points[0].x))) +
              attribute("height", num(std::fabs(s.points[2].y - s.points[0].y)));
        if (!s.stroke)
            out += attribute("shape-rendering", "crispEdges");
    } else {
        std::string points;
        for (const Point& p : s.points)
            points += (points.empty() ? "" : " ") + num(p.x) + "," + num(p.y);
        out = std::string(s.closed ? "<polygon" : "<polyline") + attribute("points", points);
    }
    // An open line is never filled, as in the windows' painter.
    out += attribute("fill", s.closed && s.fill ? hex(*s.fill) : "none");
    if (s.stroke)
        out += strokeAttributes(*s.stroke);
    if (s.clip)
        out += attribute("clip-path", "url(#clip" + std::to_string(clips.idOf(*s.clip)) + ")");
    return out + "/>\n";
}

std::string label(const Label& l) {
    if (l.text.empty())
        return "";
    std::string out = "<text" + attribute("x", num(l.at.x)) + attribute("y", num(l.at.y));
    out += attribute("font-family", l.face == Face::Mono
                                        ? "'Liberation Mono', 'DejaVu Sans Mono', monospace"
                                        : "'Liberation Sans', Arial, 'DejaVu Sans', sans-serif");
    out += attribute("font-size", num(l.size));
    if (l.face == Face::SansBold)
        out += attribute("font-weight", "bold");
    out += attribute("fill", hex(l.colour));
    if (l.anchor != Anchor::Left)
        out += attribute("text-anchor", l.anchor == Anchor::Centre ? "middle" : "end");
    if (l.angle != 0) // counter-clockwise on a surface whose y runs down
        out += attribute("transform",
                         "rotate(" + num(-l.angle) + " " + num(l.at.x) + " " + num(l.at.y) + ")");
    return out + ">" + escaped(l.text) + "</text>\n";
}

} // namespace

std::string drawingSvg(const Drawing& d, const std::string& title) {
    const ClipBoxes clips(d);
    const std::string w = num(d.width), h = num(d.height);
    // xml:space keeps a text's runs of blanks, which the layout measured.
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"" +
                      attribute("width", w) + attribute("height", h) +
                      attribute("viewBox", "0 0 " + w + " " + h) +
                      attribute("xml:space", "preserve") + ">\n<title>" + escaped(title) +
                      "</title>\n" + clips.defs();
    for (const DrawingItem& item : d.items) {
        if (const Shape* s = std::get_if<Shape>(&item))
            out += shape(*s, clips);
        else
            out += label(std::get<Label>(item));
    }
    return out + "</svg>\n";
}

std::string studyChartSvg(const StudyResults& results, const TextWidth& measure) {
    const StudyPicture picture = studyPicture(results, measure);
    return drawingSvg(picture.drawing, picture.title);
}

} // namespace zmbr
