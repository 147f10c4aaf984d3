// The report's content: the checksum against sha256sum's, and what a report says of a run.

#include "numeric/number_text.h"
#include "paramfile/parameter_file.h"
#include "report/calculation_report.h"
#include "report/sha256.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace zmbr {
namespace {

std::string bytesOfLength(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += static_cast<char>(i % 251);
    return s;
}

// Every length about the block and padding boundaries, whole and in pieces.
TEST(Sha256, EqualsSha256sumAtEveryLengthWholeAndInPieces) {
    std::ifstream table(ZMBR_TEST_DATA "/sha256_lengths.txt");
    ASSERT_TRUE(table) << "the table of digests is missing";
    std::string line;
    int checked = 0;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::size_t n = 0;
        std::string expected;
        fields >> n >> expected;
        const std::string bytes = bytesOfLength(n);
        EXPECT_EQ(sha256Hex(bytes), expected) << "length " << n;
        Sha256 pieces;
        for (std::size_t at = 0; at < n; at += 7)
            pieces.add(std::string_view(bytes).substr(at, 7));
        std::string hex;
        for (auto b : pieces.finish())
            hex += "0123456789abcdef"[b >> 4], hex += "0123456789abcdef"[b & 15];
        EXPECT_EQ(hex, expected) << "length " << n << " in pieces of 7";
        ++checked;
    }
    EXPECT_EQ(checked, 131);
}

std::string allText(const ReportDocument& d) {
    std::string text = d.title + "\n" + d.comment + "\n" + d.banner + "\nDate " + d.dateText + "\n";
    for (const auto& line : d.summary)
        text += line[0] + ": " + line[1] + "\n";
    for (const ReportItem& i : d.titleBlock)
        text += i.caption + " " + i.value + "\n";
    for (const ReportSection& s : d.sections) {
        text += s.heading + "\n";
        for (const auto& l : s.intro)
            text += l + "\n";
        for (const auto& g : s.itemGroups)
            for (const ReportItem& i : g)
                text += i.caption + " " + i.value + " " + i.unit + "\n";
        for (const auto& c : s.table.header)
            text += c + " | ";
        for (const auto& r : s.table.rows) {
            for (const auto& c : r)
                text += c + " | ";
            text += "\n";
        }
        for (const auto& l : s.lines)
            text += l + "\n";
    }
    return text;
}

// How a run ended, in the words the report uses, for every end.
TEST(CalculationReport, SaysHowTheRunEndedAndAtWhichStep) {
    struct Case {
        RunEnd end;
        bool concreteNG;
        std::vector<int> ruptured;
        std::string message, expected;
    } cases[] = {
        {RunEnd::Failure, true, {}, "", "failed at step 42: the concrete was crushed (status NG)."},
        {RunEnd::Failure, false, {2}, "", "failed at step 42: row 2 ruptured at a crack."},
        {RunEnd::Failure, true, {1, 3}, "", "crushed (status NG) and rows 1 and 3 ruptured"},
        {RunEnd::StepLimit, false, {}, "", "reached the step limit without a failure: step 42"},
        {RunEnd::Stopped,
         false,
         {},
         stopMessage(43, "θ left 0..180"),
         "without a result because a value could not be computed. The analysis stopped at step "
         "43: θ left 0..180"},
        {RunEnd::Cancelled, false, {}, "", "cancelled by the user after step 42."},
        {RunEnd::WriteFailed, false, {}, "", "after step 42 because the result file could not"},
    };
    for (const Case& c : cases) {
        RunOutcome o;
        o.end = c.end;
        o.steps = 42;
        o.concreteNG = c.concreteNG;
        o.message = c.message;
        for (int r : c.ruptured)
            o.ruptured[static_cast<std::size_t>(r - 1)] = true;
        EXPECT_NE(runEndText(o, nullptr).find(c.expected), std::string::npos)
            << runEndText(o, nullptr);
    }
}

// The report of a finished run: inputs in their display formats, the result file's values and
// both checksums; a refused panel: the inputs and the message, no result file.
TEST(CalculationReport, NamesInputsResultsAndChecksums) {
    const std::string mbr = ZMBR_TEST_DATA "/steel_yield.mbr";
    const std::string tgc = ZMBR_TEST_DATA "/steel_yield.TGC";
    ParameterSheet sheet;
    sheet.load();
    ASSERT_FALSE(readParameterFile(sheet, realFileSystem(), mbr));
    const std::string mbrBytes = test::readFile(mbr), tgcBytes = test::readFile(tgc);

    PanelReportInput in;
    readResultFileBack(in, realFileSystem(), tgc);
    const auto& curve = in.resultCurve;
    ASSERT_TRUE(curve && !curve->steps.empty()) << in.resultCurveFailure;
    in.parameterFile = reportFileOf(realFileSystem(), mbr);
    in.parameterFile.path = "steel_yield.mbr";
    in.resultFile.path = "steel_yield.TGC";
    in.sheet = &sheet;
    RunOutcome o;
    o.steps = static_cast<int>(curve->steps.size()) + 1;
    o.concreteNG = true;
    o.yielded[0] = true;
    in.outcome = o;
    in.date = {2023, 11, 14, 22, 13, 20};
    const std::string text = allText(panelReport(in));
    const ResultStep& top = *curve->tauMaxStep();
    for (const std::string& expected :
         {std::string("Date 2023-11-14 22:13:20"),
          "fc (-) " + formatNumber(sheet.input().fc, "##0.00"),
          "τxy max " + formatNumber(top.tauXY, "0.000") + " MPa",
          "γxy at τxy max " + formatNumber(top.gammaXY, "0.000000"),
          "Last crack angle θ " + formatNumber(curve->steps.back().thetaDegrees, "0.00"),
          "steel_yield.mbr | " + sha256Hex(mbrBytes), "steel_yield.TGC | " + sha256Hex(tgcBytes),
          std::string("Row 1 has yielded")})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin:\n" << text;

    in.outcome.reset();
    in.refusal = "The analysis cannot start: t is 0.";
    const std::string refused = allText(panelReport(in));
    EXPECT_NE(refused.find("The panel was not run. The analysis cannot start: t is 0."),
              std::string::npos);
    EXPECT_NE(refused.find("Not run: The analysis cannot start: t is 0."), std::string::npos);
    EXPECT_EQ(refused.find("below fru"), std::string::npos) << refused;
    EXPECT_EQ(refused.find("steel_yield.TGC"), std::string::npos) << refused;
    EXPECT_NE(refused.find("steel_yield.mbr | " + sha256Hex(mbrBytes)), std::string::npos);
}

// What a checking engineer must not be misled by: values that did not run as the window shows
// them, absurd values, runs without a result, and a peak that is only the cracking stress.
TEST(CalculationReport, SaysWhatRanAndWhatIsNoResult) {
    const std::string mbr = ZMBR_TEST_DATA "/steel_yield.mbr";
    const std::string tgc = ZMBR_TEST_DATA "/steel_yield.TGC";
    struct Case {
        const char* what;
        std::vector<std::pair<int, std::string>> lines; // file lines replaced (1-based)
        RunEnd end;
        std::vector<std::string> says, never;
    } cases[] = {
        {"a row angle beyond the window's limit",
         {{12, "200"}},
         RunEnd::Failure,
         {"200.0 (ran; the window shows 180.0)",
          "θr of row 1 is 200 °, outside the range the parameter window keeps (180 there); the run "
          "used 200."},
         {"No result"}},
        {"a negative area and a strength no bar has",
         {{13, "-5"}, {21, "100000000"}},
         RunEnd::Failure,
         {"Ar of row 1 is -5 mm²; a real panel has",
          "fru of row 2 is 1E+08 N/mm²; a real panel has a strength of 50 to 5 000"},
         {}},
        {"a run that stopped",
         {},
         RunEnd::Stopped,
         {"No result: the analysis stopped at step 7 — the crack angle θ could not be found",
          "Verdict: No result", "at the last step computed", "Largest τxy computed"},
         {"(OK)", "Peak τxy", "have yielded", "The panel failed"}},
        {"the step limit",
         {},
         RunEnd::StepLimit,
         {"No result: the run reached the step limit at step 6 without a failure of the panel."},
         {"(OK)", "Peak τxy"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> lines = test::crlfLines(test::readFile(mbr));
        for (const auto& [n, text] : c.lines)
            lines[static_cast<std::size_t>(n - 1)] = text;
        test::ScratchFolder dir;
        const std::string edited = dir.path() + "/edited.mbr";
        std::string bytes;
        for (const std::string& l : lines)
            bytes += l + "\r\n";
        test::writeFile(edited, bytes);
        ParameterSheet sheet;
        sheet.load();
        ASSERT_FALSE(readParameterFile(sheet, realFileSystem(), edited));
        PanelReportInput in;
        readResultFileBack(in, realFileSystem(), tgc);
        in.parameterFile = reportFileOf(realFileSystem(), edited);
        in.sheet = &sheet;
        RunOutcome o;
        o.end = c.end;
        o.steps = 6;
        o.concreteNG = c.end == RunEnd::Failure;
        o.yielded = {true, true};
        o.cause = "the crack angle θ could not be found";
        o.message = stopMessage(7, o.cause);
        in.outcome = o;
        const std::string text = allText(panelReport(in));
        for (const std::string& s : c.says)
            EXPECT_NE(text.find(s), std::string::npos) << s << "\nin:\n" << text;
        for (const std::string& s : c.never)
            EXPECT_EQ(text.find(s), std::string::npos) << s << "\nin:\n" << text;
    }
}

// A panel whose largest stress is the cracking stress says that it carries less after.
TEST(CalculationReport, NamesACrackingPeak) {
    const std::string mbr = ZMBR_TEST_DATA "/fibre_rupture.mbr";
    ParameterSheet sheet;
    sheet.load();
    ASSERT_FALSE(readParameterFile(sheet, realFileSystem(), mbr));
    PanelReportInput in;
    readResultFileBack(in, realFileSystem(), ZMBR_TEST_DATA "/fibre_rupture.TGC");
    in.sheet = &sheet;
    RunOutcome o;
    o.steps = 170;
    o.ruptured = {true, true};
    in.outcome = o;
    const ReportDocument d = panelReport(in);
    const std::string text = allText(d);
    for (const char* s : {"Peak τxy: 2.000 MPa at γxy = 0.000101 (step 5)",
                          "Cracking: τxy = 2.000 MPa at γxy = 0.000101 (step 5",
                          "the panel carries less after cracking, 1.306 MPa at failure."})
        EXPECT_NE(text.find(s), std::string::npos) << s << "\nin:\n" << text;
    EXPECT_EQ(d.crackingStep, 5);
}

} // namespace
} // namespace zmbr
