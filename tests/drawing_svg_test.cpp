// The core's SVG painter: each kind of item as the text a viewer reads (escaped texts, anchors,
// turned texts, clipped and dashed lines), and shapes clipped alike sharing one clip path.

#include "report/drawing_svg.h"
#include "study/figure_parts.h"

#include <gtest/gtest.h>

namespace zmbr {
namespace {

Label text(std::string words, Anchor anchor = Anchor::Left, double angle = 0,
           Face face = Face::Sans) {
    Label l = textLabel(std::move(words), {10, 20.5}, anchor, face, 13, {214, 39, 40});
    l.angle = angle;
    return l;
}

Shape line(std::vector<double> dashes = {}, std::optional<Box> clip = std::nullopt) {
    Shape s;
    s.points = {{0, 0}, {100.25, 1.0 / 3}, {-0.0001, 50}};
    s.stroke = Stroke{{0, 0, 255}, 1.2, std::move(dashes)};
    s.fill = Rgb{255, 255, 255}; // not painted: the line is open
    s.clip = clip;
    return s;
}

struct PaintCase {
    const char* what;
    std::vector<DrawingItem> items;
    std::vector<std::string> holds, lacks;
};

TEST(DrawingSvg, EachItemIsWrittenAsAViewerReadsIt) {
    const Box plot{60, 40, 500.5, 300};
    const PaintCase cases[] = {
        {"markup in a text is escaped",
         {text("a<b & \"c\" > d")},
         {">a&lt;b &amp; &quot;c&quot; &gt; d</text>"},
         {"a<b", "\"c\""}},
        {"a left text has the default anchor", {text("τxy")}, {">τxy</text>"}, {"text-anchor"}},
        {"a centred text", {text("x", Anchor::Centre)}, {"text-anchor=\"middle\""}, {}},
        {"a right text", {text("x", Anchor::Right)}, {"text-anchor=\"end\""}, {}},
        {"a turned text turns about its point, counter-clockwise",
         {text("y", Anchor::Centre, 90)},
         {"x=\"10\" y=\"20.5\"", "transform=\"rotate(-90 10 20.5)\""},
         {}},
        {"the faces by name, with fallbacks",
         {text("b", Anchor::Left, 0, Face::SansBold), text("m", Anchor::Left, 0, Face::Mono)},
         {"font-family=\"'Liberation Sans', Arial, 'DejaVu Sans', sans-serif\" font-size=\"13\" "
          "font-weight=\"bold\" fill=\"#d62728\"",
          "font-family=\"'Liberation Mono', 'DejaVu Sans Mono', monospace\""},
         {}},
        {"broken UTF-8 and control characters are replaced",
         {text(std::string("a\x01") + "\xff" + "b")},
         {">a\xEF\xBF\xBD\xEF\xBF\xBD"
          "b</text>"},
         {"\x01", "\xff"}},
        {"an empty text is left out", {text("")}, {}, {"<text"}},
        {"an open line is not filled, its numbers to the thousandth",
         {line()},
         {"<polyline points=\"0,0 100.25,0.333 0,50\" fill=\"none\" stroke=\"#0000ff\" "
          "stroke-width=\"1.2\" stroke-linejoin=\"round\"/>"},
         {"stroke-dasharray", "clip"}},
        {"a dashed line", {line({7, 3.5})}, {"stroke-dasharray=\"7,3.5\""}, {}},
        {"a clipped line gets a clip path",
         {line({}, plot)},
         {"<clipPath id=\"clip1\"><rect x=\"60\" y=\"40\" width=\"500.5\" height=\"300\"/>",
          "clip-path=\"url(#clip1)\""},
         {}},
        {"lines clipped alike share a clip path; another box has its own",
         {line({}, plot), line({}, plot), line({}, Box{0, 0, 1, 1})},
         {"id=\"clip1\"", "id=\"clip2\"", "clip-path=\"url(#clip2)\""},
         {"id=\"clip3\""}},
        {"an unstroked box has crisp edges",
         {boxShape({5, 6, 7, 8}, std::nullopt, Rgb{1, 2, 254})},
         {"<rect x=\"5\" y=\"6\" width=\"7\" height=\"8\" shape-rendering=\"crispEdges\" "
          "fill=\"#0102fe\"/>"},
         {"stroke"}},
        {"a framed box",
         {boxShape({5, 6, 7, 8}, Rgb{0, 0, 0}, Rgb{1, 2, 254}, 0.8)},
         {"fill=\"#0102fe\" stroke=\"#000000\""},
         {"crispEdges"}},
    };
    for (const PaintCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string svg = drawingSvg({640.5, 416, c.items}, "A & B");
        EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"", 0), 0u);
        EXPECT_NE(svg.find("width=\"640.5\" height=\"416\" viewBox=\"0 0 640.5 416\""),
                  std::string::npos);
        EXPECT_NE(svg.find("<title>A &amp; B</title>"), std::string::npos);
        for (const std::string& part : c.holds)
            EXPECT_NE(svg.find(part), std::string::npos) << "no " << part << " in\n" << svg;
        for (const std::string& part : c.lacks)
            EXPECT_EQ(svg.find(part), std::string::npos) << part << " in\n" << svg;
    }
}

} // namespace
} // namespace zmbr
