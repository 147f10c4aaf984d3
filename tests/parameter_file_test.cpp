#include "paramfile/file_kind.h"
#include "paramfile/parameter_file.h"
#include "platform/text_encoding.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace zmbr {
namespace {

constexpr PanelField kRowColumns[] = {PanelField::ThetaR, PanelField::Ar, PanelField::S,
                                      PanelField::Fru,    PanelField::Er, PanelField::FailureMode};

std::string layout(const std::string& name) {
    return test::readFile(test::dataPath("layouts/" + name));
}

// The two-row file with another comment line, as raw bytes.
std::string withComment(const std::string& bytes) {
    std::string file = layout("two_rows.mbr");
    const std::size_t start = file.find("\r\n") + 2;
    return file.replace(start, file.find("\r\n", start) - start, bytes);
}

// Every text and the option: what a read must restore.
std::vector<std::string> allTexts(const ParameterSheet& sheet) {
    std::vector<std::string> texts;
    for (const FieldDeclaration& entry : fieldRegistry())
        for (int e = 0; e < (entry.perRow() ? kMaxRows : 1) && entry.kind != FieldKind::Flag; ++e)
            texts.push_back(sheet.text({entry.field, e}));
    texts.push_back(sheet.option() ? "on" : "off");
    return texts;
}

// The start-up window's file is the default panel's; two rows, one of them a yield row, their
// own layout.
TEST(ParameterFile, WritesTheVersion3Layout) {
    ParameterSheet sheet = test::loadedSheet();
    test::MemoryFileSystem fs;
    ASSERT_EQ(writeParameterFile(sheet, fs, "start.mbr"), 0);
    EXPECT_EQ(fs.files.at("start.mbr"), test::readFile(test::dataPath("default.mbr")));
    test::typeAndLeave(sheet, {PanelField::Axes}, "2");
    sheet.setText({PanelField::FailureMode, 1}, "yield");
    ASSERT_EQ(writeParameterFile(sheet, fs, "two.mbr"), 0);
    EXPECT_EQ(fs.files.at("two.mbr"), layout("two_rows.mbr"));
    EXPECT_EQ(fs.files.size(), 2u); // no partial file is left
    EXPECT_EQ(sheet.input().outputFileName, "two.mbr");
}

TEST(ParameterFile, RoundTripRestoresEveryText) {
    ParameterSheet original = test::loadedSheet();
    test::typeAndLeave(original, {PanelField::Comment}, "試験体 No.3 τ-γ");
    test::typeAndLeave(original, {PanelField::Axes}, "3");
    test::typeAndLeave(original, {PanelField::Ar, 1}, "0.785");
    test::typeAndLeave(original, {PanelField::ThetaR, 2}, "135");
    test::typeAndLeave(original, {PanelField::InitialTheta}, "38.5");
    original.setText({PanelField::FailureMode, 2}, "yield");
    original.setOption(true);
    test::MemoryFileSystem fs;
    ASSERT_EQ(writeParameterFile(original, fs, "p.mbr"), 0);
    // The comment is stored in CP932.
    EXPECT_NE(fs.files.at("p.mbr").find(utf8ToCp932("試験体 No.3 τ-γ")), std::string::npos);

    ParameterSheet copy = test::loadedSheet();
    copy.setText({PanelField::FailureMode, 7}, "yield"); // beyond the file's rows: kept
    ASSERT_FALSE(readParameterFile(copy, fs, "p.mbr").has_value());

    // Rows 4 to 10 come back empty; their failure-mode boxes keep their texts.
    ParameterSheet expected = original;
    for (int e = 3; e < kMaxRows; ++e)
        for (PanelField c : kRowColumns)
            if (c != PanelField::FailureMode)
                expected.setText({c, e}, "");
    expected.setText({PanelField::FailureMode, 7}, "yield");
    EXPECT_EQ(allTexts(copy), allTexts(expected));
    EXPECT_EQ(copy.input().comment, "試験体 No.3 τ-γ");
    EXPECT_FLOAT_EQ(copy.input().row(3).thetaR, 135);
    EXPECT_FLOAT_EQ(copy.input().initialTheta, 38.5f);
    EXPECT_EQ(copy.input().optionOn, 1);
    EXPECT_EQ(copy.input().row(5).Ar, 0);
    EXPECT_EQ(copy.input().outputFileName, "p.mbr");
}

TEST(ParameterFile, ReadsEveryLayout) {
    struct Case {
        const char* name;
        std::string bytes;
        std::function<void(const ParameterSheet&)> check;
    };
    const Case cases[] = {
        {"version 3, LF only",
         [&] {
             std::string s = layout("two_rows.mbr");
             std::erase(s, '\r');
             return s;
         }(),
         [](const ParameterSheet& s) {
             EXPECT_EQ(s.text({PanelField::FailureMode, 1}), "yield");
             EXPECT_EQ(s.text({PanelField::Ar, 2}), "");
             EXPECT_FLOAT_EQ(s.input().axes, 2);
         }},
        {"version 2", layout("version2.mbr"),
         [](const ParameterSheet& s) {
             EXPECT_EQ(s.text({PanelField::FailureMode, 0}), "rupture");
             EXPECT_EQ(s.text({PanelField::FailureMode, 1}), "rupture");
             EXPECT_EQ(s.text({PanelField::Ar, 1}), "2.000");
             EXPECT_TRUE(s.option());
             EXPECT_EQ(s.text({PanelField::InitialTheta}), "30.00");
         }},
        {"headerless", layout("headerless.mbr"),
         [](const ParameterSheet& s) {
             EXPECT_EQ(s.text({PanelField::Comment}), "old panel");
             EXPECT_EQ(s.text({PanelField::Sm}), "14.14");
             EXPECT_EQ(s.text({PanelField::Ec}), "20000");
             const char* angles[] = {"0.0", "60.0", "120.0"};
             for (int e = 0; e < 3; ++e) {
                 EXPECT_EQ(s.text({PanelField::ThetaR, e}), angles[e]);
                 EXPECT_EQ(s.text({PanelField::Ar, e}), "0.5");
                 EXPECT_EQ(s.text({PanelField::Er, e}), "200000");
                 EXPECT_EQ(s.text({PanelField::FailureMode, e}), "rupture");
             }
             EXPECT_EQ(s.text({PanelField::Ar, 3}), "");
             EXPECT_EQ(s.text({PanelField::InitialTheta}), "45.00"); // kept
             EXPECT_TRUE(s.option());
             EXPECT_FLOAT_EQ(s.input().sm, 14.14f);
             EXPECT_FLOAT_EQ(s.input().fc, -40);
         }},
        {"headerless, five rows", layout("headerless_five_rows.mbr"),
         [](const ParameterSheet& s) {
             for (int e = 0; e < 5; ++e)
                 EXPECT_EQ(s.text({PanelField::ThetaR, e}), "90.0");
             EXPECT_FALSE(s.option());
         }},
        {"header with a trailing blank is a comment", layout("header_with_blank.mbr"),
         [](const ParameterSheet& s) {
             EXPECT_EQ(s.text({PanelField::Comment}), "Created by ZMBR3 ");
             EXPECT_EQ(s.text({PanelField::ThetaR, 1}), "90.0");
             EXPECT_FALSE(s.option());
         }},
        {"CP932 comment", layout("cp932_comment.mbr"),
         [](const ParameterSheet& s) { EXPECT_EQ(s.input().comment, "壁パネル"); }},
        // Half-width katakana in CP932 whose two bytes also spell "½" in UTF-8.
        {"CP932 comment that is also UTF-8", withComment(utf8ToCp932("ﾃｽ")),
         [](const ParameterSheet& s) { EXPECT_EQ(s.input().comment, "ﾃｽ"); }},
        {"UTF-8 comment from another editor", withComment("試験体 A"),
         [](const ParameterSheet& s) { EXPECT_EQ(s.input().comment, "試験体 A"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::MemoryFileSystem fs;
        fs.files["in.mbr"] = c.bytes;
        ParameterSheet sheet = test::loadedSheet();
        auto failure = readParameterFile(sheet, fs, "in.mbr");
        ASSERT_FALSE(failure.has_value()) << failure->message;
        c.check(sheet);
        EXPECT_EQ(sheet.input().outputFileName, "in.mbr");
    }
}

TEST(ParameterFile, ReadFailuresLeaveTheSheetUntouched) {
    const std::string twoRows = layout("two_rows.mbr"), headerless = layout("headerless.mbr");
    auto replaceLine = [](std::string bytes, int line, const std::string& text) {
        std::size_t start = 0;
        for (int i = 1; i < line; ++i)
            start = bytes.find("\r\n", start) + 2;
        bytes.replace(start, bytes.find("\r\n", start) - start, text);
        return bytes;
    };
    const std::pair<std::string, const char*> cases[] = {
        {"", "Line 1: the file is empty."},
        {twoRows.substr(0, twoRows.size() - 7),
         "Line 25: the file ends before this line; its layout needs 25 lines."},
        {"Created by ZMBR3\r\nc\r\n",
         "Line 3: the file ends before this line; its layout needs 13 lines."},
        {replaceLine(twoRows, 3, "12"), "Line 3: the row count \"12\" is outside 1 to 10."},
        {replaceLine(twoRows, 3, "zero"), "Line 3: the row count \"zero\" is outside 1 to 10."},
        {headerless.substr(0, 60),
         "Line 15: the file ends before this line; its layout needs 15 lines."},
        {replaceLine(headerless, 7, "35000 N"), "Line 7: \"35000 N\" is not a number."},
        {replaceLine(headerless, 11, ""), "Line 11: \"\" is not a number."},
        {replaceLine(headerless, 12, "0"), "Line 12: the ratio Er / Ec is 0."},
        {replaceLine(headerless, 4, "11"), "Line 4: the row count \"11\" is outside 1 to 10."},
    };
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(message);
        test::MemoryFileSystem fs;
        fs.files["bad.mbr"] = bytes;
        ParameterSheet sheet = test::loadedSheet();
        sheet.input().outputFileName = "kept.mbr";
        const auto before = allTexts(sheet);
        auto failure = readParameterFile(sheet, fs, "bad.mbr");
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->message, message);
        EXPECT_EQ(allTexts(sheet), before);
        EXPECT_EQ(sheet.input().outputFileName, "kept.mbr");
    }
    test::MemoryFileSystem fs;
    ParameterSheet sheet = test::loadedSheet();
    EXPECT_EQ(readParameterFile(sheet, fs, "missing.mbr")->message,
              "The file cannot be read (No such file or directory).");
}

// A file of another kind opened as a panel is named by its kind; a file whose start only looks
// like one is read or refused by its lines as any other.
TEST(ParameterFile, NamesFilesOfAnotherKind) {
    const std::string png("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const std::string headerless = layout("headerless.mbr");
    const std::string afterLine1 = headerless.substr(headerless.find("\r\n"));
    const std::pair<std::string, std::string> cases[] = {
        {test::readFile(test::dataPath("steel_yield.TGC")),
         "This is a result file, not a parameter file."},
        {std::string(kResultTitle) + ", MBR file = a.mbr\r\nc\r\n",
         "This is a result file, not a parameter file."},
        {png, "This is a picture (PNG), not a parameter file."},
        {"GIF89a\x01\0\x01\0", "This is a picture (GIF), not a parameter file."},
        {"\xFF\xD8\xFF\xE0\0\x10JFIF", "This is a picture (JPEG), not a parameter file."},
        {"<?xml version=\"1.0\"?>\n<!-- drawn -->\n<svg xmlns=\"http://www.w3.org/2000/svg\">",
         "This is a picture (SVG), not a parameter file."},
        {"\xEF\xBB\xBF  <svg width=\"10\"/>", "This is a picture (SVG), not a parameter file."},
        {"%PDF-1.7\n%\xE2\xE3\xCF\xD3\n", "This is a PDF document, not a parameter file."},
        {std::string("PK\x03\x04\x14\0", 6),
         "This is an archive (zip), not a parameter file: unpack it first."},
        {std::string("\x1F\x8B\x08\0", 4),
         "This is an archive (gzip), not a parameter file: unpack it first."},
        {"<svgs>\r\n1\r\n", "Line 15: the file ends before this line; its layout needs 15 lines."},
        {"<html><svg>\r\n1\r\n",
         "Line 15: the file ends before this line; its layout needs 15 lines."},
        {"%PDF-1.7" + afterLine1, ""}, // a panel whose comment happens to start so
    };
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(message);
        test::MemoryFileSystem fs;
        fs.files["picked.mbr"] = bytes;
        ParameterSheet sheet = test::loadedSheet();
        const auto failure = readParameterFile(sheet, fs, "picked.mbr");
        EXPECT_EQ(failure ? failure->message : "", message);
    }
}

} // namespace
} // namespace zmbr
