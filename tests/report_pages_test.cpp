// The report's pages: texts wrapped without losing a character, the faces cut down without
// losing a glyph, and a PDF file whose cross-reference table points at its objects.

#include "report/page_layout.h"
#include "report/pdf_writer.h"
#include "report/report_fonts.h"

#include <gtest/gtest.h>

#include <regex>

namespace zmbr {
namespace {

const ReportFonts& fonts() {
    static const auto loaded = ReportFonts::load(realFileSystem());
    if (!loaded)
        throw std::runtime_error(loaded.failure().message);
    return **loaded;
}

std::string withoutBlanks(std::string s) {
    std::erase(s, ' ');
    return s;
}

TEST(ReportPages, WrappedTextKeepsEveryCharacterAndFitsItsWidth) {
    const std::string path(200, 'a');
    struct Case {
        std::string text;
        Face face;
        double width;
        std::size_t lines; // 0: any number above one
    } cases[] = {
        {"τxy max 2.903 MPa", Face::Sans, 400, 1},
        {"/home/engineer/projects/" + path + "/panel.mbr", Face::Sans, 200, 0},
        {"d42adab56fbf250c517ef95948d60d03743594dfe794db388f629140f10eec16", Face::Mono, 120, 0},
        {"耐震壁 W3、せん断パネル の 計算", Face::Sans, 40, 0},
        {"", Face::Sans, 100, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto lines = wrapText(c.text, c.face, 8.5, c.width, fonts().measure());
        std::string joined;
        for (const std::string& line : lines) {
            joined += line;
            if (line.size() > 3) { // a single character may be wider than a narrow width
                EXPECT_LE(fonts().width(c.face, 8.5, line), c.width) << line;
            }
        }
        EXPECT_EQ(withoutBlanks(joined), withoutBlanks(c.text));
        if (c.lines) {
            EXPECT_EQ(lines.size(), c.lines);
        } else {
            EXPECT_GT(lines.size(), 1u);
        }
    }
    // A path breaks after a folder's slash where it can.
    const auto lines = wrapText("/home/engineer/projects/bridge/deck/web/panel-w3-final.mbr",
                                Face::Sans, 8.5, 110, fonts().measure());
    ASSERT_GT(lines.size(), 1u);
    EXPECT_EQ(lines[0].back(), '/') << lines[0];
}

TEST(ReportPages, CutDownFaceKeepsTheGlyphsUsedAndTheirNumbers) {
    const TrueTypeFont& sans = fonts().fonts()[0];
    std::set<std::uint16_t> used;
    for (char32_t c : codePointsOf("τxy Å"))
        used.insert(sans.glyphOf(c));
    ASSERT_EQ(used.count(0), 0u) << "a character the face lacks";
    const auto subset = TrueTypeFont::read(sans.subset(used), "subset");
    ASSERT_TRUE(subset) << subset.failure().message;
    for (char32_t c : codePointsOf("τxy Åb")) {
        EXPECT_EQ(subset->glyphOf(c), sans.glyphOf(c));
        EXPECT_EQ(subset->advance(subset->glyphOf(c)), sans.advance(sans.glyphOf(c)));
    }
    EXPECT_LT(sans.subset(used).size(), 80000u);
}

TEST(ReportPages, CrossReferencePointsAtEveryObject) {
    Drawing page{kA4Width, kA4Height, {}};
    Label heading;
    heading.at = {50, 50};
    heading.text = "Checksums (SHA-256) τ";
    heading.face = Face::SansBold;
    page.items.push_back(heading);
    page.items.push_back(
        Shape{{{50, 60}, {300, 60}}, false, Stroke{}, std::nullopt, Box{0, 0, 400, 400}});
    const std::string pdf =
        writePdf({page, page}, fonts(), {"Title", "ZMBR", {2024, 5, 1, 12, 0, 0}});
    EXPECT_EQ(pdf, writePdf({page, page}, fonts(), {"Title", "ZMBR", {2024, 5, 1, 12, 0, 0}}));
    const auto xref = pdf.rfind("\nxref\n");
    ASSERT_NE(xref, std::string::npos);
    std::smatch m;
    const std::string table = pdf.substr(xref);
    std::regex entry("(\\d{10}) 00000 n ");
    int id = 1, checked = 0;
    for (auto it = std::sregex_iterator(table.begin(), table.end(), entry);
         it != std::sregex_iterator(); ++it, ++id) {
        const auto offset = std::stoul((*it)[1]);
        EXPECT_EQ(pdf.compare(offset, std::to_string(id).size() + 6, std::to_string(id) + " 0 obj"),
                  0)
            << "object " << id;
        ++checked;
    }
    EXPECT_GT(checked, 10);
    EXPECT_NE(pdf.find("startxref\n" + std::to_string(xref + 1) + "\n%%EOF"), std::string::npos);
    EXPECT_NE(pdf.find("/CreationDate (D:20240501120000)"), std::string::npos);
}

// A comment of many lines goes on from page to page: no line falls below the foot of a page,
// and every word is printed.
TEST(ReportPages, LongTextGoesOnToTheNextPage) {
    ReportDocument d;
    d.title = "Calculation report";
    for (int i = 0; i < 1500; ++i)
        d.comment += "panel" + std::to_string(i) + " ";
    const std::vector<Drawing> pages = layOutReport(d, fonts());
    ASSERT_GT(pages.size(), 1u);
    std::string printed;
    for (const Drawing& page : pages)
        for (const DrawingItem& item : page.items)
            if (const Label* l = std::get_if<Label>(&item); l && !l->text.empty()) {
                EXPECT_LT(l->at.y, kA4Height - 30) << l->text;
                printed += l->text + " ";
            }
    for (int i = 0; i < 1500; i += 37)
        EXPECT_NE(printed.find("panel" + std::to_string(i) + " "), std::string::npos) << i;
}

} // namespace
} // namespace zmbr
