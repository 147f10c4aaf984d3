// The core's drawings as JSON for the page's painter (drawing_painter.js), and the widths of
// texts as the page's canvas measures them, for the core's layout.

#include "bridge_shared.h"

#include <emscripten/emscripten.h>

#include <string>
#include <string_view>
#include <variant>

// The page's canvas measures the figures' texts, in the faces it paints them in.
EM_JS(double, canvasTextWidth, (int face, double size, const char* utf8), {
    return Module.measureText ? Module.measureText(face, size, UTF8ToString(utf8))
                              : 0.55 * size * UTF8ToString(utf8).length;
});

namespace zmbr::page {

TextWidth pageTextWidth() {
    return [](Face face, double size, std::string_view text) {
        return canvasTextWidth(static_cast<int>(face), size, std::string(text).c_str());
    };
}

namespace {

void appendShape(std::string& out, const Shape& s) {
    out += "{\"points\":[";
    for (std::size_t i = 0; i < s.points.size(); ++i) {
        if (i)
            out += ',';
        appendJson(out, s.points[i].x);
        out += ',';
        appendJson(out, s.points[i].y);
    }
    out += "],\"closed\":";
    out += s.closed ? "true" : "false";
    if (s.stroke) {
        out += ",\"stroke\":";
        appendRgb(out, s.stroke->colour);
        out += ",\"width\":";
        appendJson(out, s.stroke->width);
        out += ",\"dashes\":[";
        for (std::size_t i = 0; i < s.stroke->dashes.size(); ++i) {
            if (i)
                out += ',';
            appendJson(out, s.stroke->dashes[i]);
        }
        out += ']';
    }
    if (s.fill) {
        out += ",\"fill\":";
        appendRgb(out, *s.fill);
    }
    if (s.clip) {
        out += ",\"clip\":";
        appendBox(out, *s.clip);
    }
    out += '}';
}

void appendLabel(std::string& out, const Label& l) {
    static const char* const anchors[] = {"left", "centre", "right"};
    out += "{\"text\":";
    appendJson(out, l.text);
    out += ",\"x\":";
    appendJson(out, l.at.x);
    out += ",\"y\":";
    appendJson(out, l.at.y);
    out += ",\"face\":" + std::to_string(static_cast<int>(l.face));
    out += ",\"size\":";
    appendJson(out, l.size);
    out += ",\"colour\":";
    appendRgb(out, l.colour);
    out += ",\"anchor\":\"" + std::string(anchors[static_cast<int>(l.anchor)]) + '"';
    out += ",\"angle\":";
    appendJson(out, l.angle);
    out += '}';
}

} // namespace

void appendRgb(std::string& out, const Rgb& c) {
    out += '[' + std::to_string(c.r) + ',' + std::to_string(c.g) + ',' + std::to_string(c.b) + ']';
}

void appendBox(std::string& out, const Box& b) {
    out += '[';
    for (double v : {b.left, b.top, b.width, b.height}) {
        if (out.back() != '[')
            out += ',';
        appendJson(out, v);
    }
    out += ']';
}

void appendDrawing(std::string& out, const Drawing& d) {
    out += "{\"width\":";
    appendJson(out, d.width);
    out += ",\"height\":";
    appendJson(out, d.height);
    out += ",\"items\":[";
    for (std::size_t i = 0; i < d.items.size(); ++i) {
        if (i)
            out += ',';
        if (const auto* shape = std::get_if<Shape>(&d.items[i]))
            appendShape(out, *shape);
        else
            appendLabel(out, std::get<Label>(d.items[i]));
    }
    out += "]}";
}

} // namespace zmbr::page
