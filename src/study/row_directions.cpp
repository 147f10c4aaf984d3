#include "study/row_directions.h"

#include "study/figure_parts.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace zmbr {

namespace {

constexpr double kSize = kRowDirectionsTextSize;
constexpr Rgb kShear{0, 0, 255}, kNote{90, 90, 90};

// Colours that stay apart in print, one for each direction.
constexpr Rgb kFamilyColours[] = {{214, 39, 40},   {31, 119, 180}, {44, 160, 44},   {255, 127, 14},
                                  {148, 103, 189}, {140, 86, 75},  {227, 119, 194}, {127, 127, 127},
                                  {188, 189, 34},  {23, 190, 207}};

Point plus(Point a, Point b, double k = 1) {
    return {a.x + k * b.x, a.y + k * b.y};
}

void arrow(Drawing& d, Point from, Point to, Rgb colour) {
    d.items.push_back(lineShape(from, to, colour));
    const double a = std::atan2(to.y - from.y, to.x - from.x);
    const double length = 4, spread = 25 * kDrawingPi / 180;
    Shape head;
    head.points = {to,
                   {to.x - length * std::cos(a - spread), to.y - length * std::sin(a - spread)},
                   {to.x - length * std::cos(a + spread), to.y - length * std::sin(a + spread)}};
    head.closed = true;
    head.fill = colour;
    d.items.push_back(std::move(head));
}

} // namespace

Drawing drawRowDirections(const std::vector<RowFamily>& families, double width, double height,
                          const TextWidth& textWidth) {
    Drawing d{width, height, {}};
    // Room below the panel for the shear arrow and the axes with their names.
    const double side = std::min(height - 42, width * 0.4);
    const Box panel{34, 12, side, side};
    const Point centre{panel.left + side / 2, panel.top + side / 2};

    // The bars of each direction through the panel; fewer to a family where many directions
    // cross.
    const int reach = families.size() > 3 ? 1 : 2;
    for (std::size_t k = 0; k < families.size(); ++k) {
        const double a = families[k].degrees * kDrawingPi / 180;
        const Point along{std::cos(a), -std::sin(a)}, across{std::sin(a), std::cos(a)};
        const Rgb colour = kFamilyColours[k % std::size(kFamilyColours)];
        for (int j = -reach; j <= reach; ++j) {
            const Point c = plus(centre, across, j * side / 5.0 + k * side / 40.0);
            Shape bar = lineShape(plus(c, along, -side), plus(c, along, side), colour, 1.6);
            bar.clip = panel;
            d.items.push_back(std::move(bar));
        }
    }
    d.items.push_back(boxShape(panel, kBlack, std::nullopt, 1.2));

    // Shear on the four faces: to the right on top, to the left below, up on the right face
    // and down on the left one.
    const double g = 7, inset = side * 0.15, right = panel.left + side, bottom = panel.top + side;
    arrow(d, {panel.left + inset, panel.top - g}, {right - inset, panel.top - g}, kShear);
    arrow(d, {right - inset, bottom + g}, {panel.left + inset, bottom + g}, kShear);
    arrow(d, {right + g, bottom - inset}, {right + g, panel.top + inset}, kShear);
    arrow(d, {panel.left - g, panel.top + inset}, {panel.left - g, bottom - inset}, kShear);
    d.items.push_back(
        textLabel("τxy", {right + g + 4, centre.y}, Anchor::Left, Face::Sans, kSize, kShear));

    // The axes from the lower left corner.
    const Point o{8, bottom + 22};
    arrow(d, o, {o.x + 26, o.y}, kBlack);
    arrow(d, o, {o.x, o.y - 26}, kBlack);
    d.items.push_back(textLabel("x", {o.x + 29, o.y + 4}, Anchor::Left, Face::Sans, kSize));
    d.items.push_back(textLabel("y", {o.x - 3, o.y - 29}, Anchor::Left, Face::Sans, kSize));

    // The legend: each family's colour and rows, and what the drawing does not show.
    const double ascent = baselineBelow(0, kSize), step = lineHeight(kSize) * 1.35;
    const double left = right + 48;
    double y = panel.top + ascent;
    for (std::size_t k = 0; k < families.size(); ++k, y += step) {
        d.items.push_back(lineShape({left, y - ascent / 3}, {left + 24, y - ascent / 3},
                                    kFamilyColours[k % std::size(kFamilyColours)], 2));
        d.items.push_back(
            textLabel(families[k].label, {left + 32, y}, Anchor::Left, Face::Sans, kSize));
    }
    // Two lines where one does not fit beside the panel.
    const std::string first = "The bars show the rows' directions;",
                      second = "their number, spacing and size are not to scale.";
    std::vector<std::string> note{first + " " + second};
    if (textWidth(Face::Sans, kSize, note.front()) > width - left)
        note = {first, second};
    y += step * 0.35;
    for (const std::string& line : note) {
        d.items.push_back(textLabel(line, {left, y}, Anchor::Left, Face::Sans, kSize, kNote));
        y += lineHeight(kSize) * 1.15;
    }
    return d;
}

} // namespace zmbr
