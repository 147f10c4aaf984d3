#pragma once
// A picture as the core lays it out: lines, filled shapes and texts, in the picture's own units
// from its top-left corner, y down. The painters (the report's PDF writer, the windows' painter
// for SVG and PNG) only paint it; every position, colour and word is decided here.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zmbr {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The faces a picture or a report may use: a sans face, its bold, and a monospaced face for
// digests and file names.
enum class Face { Sans, SansBold, Mono };

struct Point {
    double x = 0, y = 0;
};

struct Box {
    double left = 0, top = 0, width = 0, height = 0;
};

struct Stroke {
    Rgb colour;
    double width = 1;
    std::vector<double> dashes; // on, off, on, ... lengths; empty for a solid line
};

// A polyline or a polygon, stroked, filled or both, clipped to a box if one is given.
struct Shape {
    std::vector<Point> points;
    bool closed = false;
    std::optional<Stroke> stroke;
    std::optional<Rgb> fill;
    std::optional<Box> clip;
};

enum class Anchor { Left, Centre, Right };

// A line of text placed by its baseline; `angle` turns it counter-clockwise about `at` (90 for
// a y axis's title).
struct Label {
    Point at;
    std::string text; // UTF-8
    Face face = Face::Sans;
    double size = 10;
    Rgb colour;
    Anchor anchor = Anchor::Left;
    double angle = 0;
};

using DrawingItem = std::variant<Shape, Label>;

// Items are painted in order, later ones over earlier ones.
struct Drawing {
    double width = 0, height = 0;
    std::vector<DrawingItem> items;
};

// How wide a text is in a face at a size, in the picture's units: the layout asks the
// painter's font metrics, so that anchored and wrapped texts land where they are painted.
using TextWidth = std::function<double(Face face, double size, std::string_view utf8)>;

// A face's ascent and descent per unit of size, for the layout of lines of text.
struct FaceMetrics {
    double ascent = 0.905, descent = 0.212;
};

} // namespace zmbr
