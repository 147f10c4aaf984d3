#include "run/result_file.h"

#include "platform/text_encoding.h"
#include "run/result_reading.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <limits>

namespace zmbr {
namespace {

// Whole files are checked by the golden runs; here, the cases they do not reach.
RunState stepWithTwoRows() {
    RunState rs;
    rs.rows = 2;
    rs.eps1 = 0.0005;
    rs.stepState.tauXY = 1.25;
    rs.stepState.gammaXY = 0.000125;
    rs.stepState.eps2 = -0.0001;
    rs.stepState.theta = 45 * 3.1416 / 180;
    rs.stepState.epsR = {-0.000123, 0.000123};
    rs.bond[0].epsRcr = -0.0000004;
    rs.bond[1].epsRcr = -12.5;
    return rs;
}

TEST(ResultFile, StepLineKeepsItsColumns) {
    std::string line;
    appendStepLine(line, stepWithTwoRows());
    EXPECT_EQ(line, "    1.250  0.000125  0.000500 -0.000100  45.00 -0.000123  0.000123"
                    "  0.000000 -12.500000");

    RunState big = stepWithTwoRows();
    big.stepState.tauXY = -1234.5678;
    big.stepState.theta = 100 * 3.1416 / 180;
    line.clear();
    appendStepLine(line, big);
    // Wider values push the columns right; the minus still takes a leading space.
    EXPECT_EQ(line.substr(0, 24), "   -1234.568  0.000125  ");
    EXPECT_EQ(line.substr(42, 8), "  100.00");
}

// The step lines of a file are bounded by the widest a run can write: ten rows, every value the
// largest finite double, negative.
TEST(ResultFile, WidestStepLineFitsTheBound) {
    RunState rs;
    rs.rows = kMaxRows;
    const double huge = -std::numeric_limits<double>::max();
    rs.eps1 = huge;
    rs.stepState.tauXY = rs.stepState.gammaXY = rs.stepState.eps2 = huge;
    rs.stepState.theta = huge / 180 * 3.1416;
    for (int i = 0; i < kMaxRows; ++i)
        rs.stepState.epsR[i] = rs.bond[i].epsRcr = huge;
    std::string line;
    appendStepLine(line, rs);
    EXPECT_EQ(line.size(), kMaxResultStepLineBytes);
}

TEST(ResultFile, HeaderIsCp932WithCrLf) {
    test::MemoryFileSystem fs;
    PanelInput in = PanelInput::defaults();
    in.comment = "試験体 A";
    in.paramFileName = "a.mbr";
    ResultFile file;
    ASSERT_EQ(file.open(fs, "a.TGC", in, 1, {2026, 1, 2, 3, 4, 5}), 0);
    file.close();
    EXPECT_EQ(fs.openFiles, 0);
    const std::string bytes = fs.files.at("a.TGC");
    // τ is 83 D1 in code page 932.
    EXPECT_EQ(bytes.substr(0, 2), "\x83\xD1");
    EXPECT_EQ(cp932ToUtf8(test::crlfLines(bytes).at(1)), "試験体 A");
}

// A known result file, read back; or refused by the line that is wrong, quoted short.
TEST(ResultFile, ReadBackOrRefusedAtTheLineThatIsWrong) {
    const std::string known = test::readFile(test::dataPath("fibre_rupture.TGC")); // 2 rows
    const std::size_t body = known.find("\r\n    0.000") + 2;                      // the zero line
    const std::string header = known.substr(0, body) + resultZeroLine(2) + "\r\n";
    const std::string step = "    1.000  0.000100  0.000100 -0.000100  45.00"
                             "  0.000100  0.000100  0.000100  0.000100\r\n";
    auto steps = [&](int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += step;
        return s;
    };
    const std::string closing = "Concrete : NG\r\nReinforcements : \r\n 1 OK  2 RPT \r\n";
    struct Case {
        const char* name;
        std::string bytes;
        std::string failure; // empty where the file reads
        std::size_t steps = 0;
        const char* end = "";
    };
    std::string utf8 = cp932ToUtf8(known);
    for (std::size_t at; (at = utf8.find("\r\n")) != std::string::npos;)
        utf8.replace(at, 2, "\n");
    const Case cases[] = {
        {"known", known, "", 169, "rupture of rows 1, 2"},
        {"UTF-8 with LF", utf8, "", 169, "rupture of rows 1, 2"},
        {"header only", header, "", 0, ""},
        {"step limit", header + steps(kStepLimit), "", 10000, ""},
        {"step limit and closing", header + steps(kStepLimit) + closing, "", 10000,
         "concrete NG and rupture of row 2"},
        {"empty", "", "Line 1: the file is empty."},
        {"parameter file", "Created by ZMBR3\r\n",
         "Line 1: \"Created by ZMBR3\" does not begin with \"τ-γ relationship created by ZMBR3\"."},
        {"short header", known.substr(0, body),
         "Line 4: the file ends before this line; its layout needs 4 lines."},
        {"eleven rows", known.substr(0, body) + resultZeroLine(11) + "\r\n",
         "Line 4: \"    0.000  0.000000  0.000000  0.000000 …\" is not the zero line."},
        {"binary step", header + std::string("1\0\xFF\x1B[2J\r\n", 9),
         "Line 5: \"1\\x00\\xFF\\x1B[2J\" is neither a step line nor the start of the closing "
         "lines."},
        {"cut closing", header + step + "Concrete : NG\r\n",
         "Line 7: the file ends before this line; its layout needs 8 lines."},
        {"second closing line", header + "Concrete : NG\r\nReinforcement\r\n",
         "Line 6: \"Reinforcement\" is not \"Reinforcements : \"."},
        {"rows' statuses", header + "Concrete : NG\r\nReinforcements : \r\n 2 OK  1 OK \r\n",
         "Line 7: \" 2 OK  1 OK \" is not the status of rows 1 to 2."},
        {"after closing", header + closing + step, "Line 8: nothing follows the closing lines."},
        {"a step too many", header + steps(kStepLimit + 1),
         "Line 10005: a result file has at most 10000 steps."},
        {"beyond the layout", header + steps(kStepLimit) + closing + step,
         "Line 10008: a result file has at most 10007 lines."},
        {"long comment",
         known.substr(0, known.find("\r\n") + 2) + std::string(kMaxLineBytes + 1, 'c'),
         "Line 2 is longer than 65536 bytes."},
        {"a comment of 60000 bytes",
         known.substr(0, known.find("\r\n") + 2) + std::string(60000, 'c') +
             header.substr(header.find("\r\n", known.find("\r\n") + 2)),
         "", 0, ""},
        {"a padded step line", header + step + std::string(kMaxResultStepLineBytes, ' ') + step,
         "Line 6 is longer than 7636 bytes."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::MemoryFileSystem fs;
        fs.files["r.TGC"] = c.bytes;
        ResultCurve curve;
        curve.rows = 7;
        const auto failure = readResultFile(fs, "r.TGC", curve);
        EXPECT_EQ(failure ? failure->message : "", c.failure);
        EXPECT_EQ(curve.rows, c.failure.empty() ? 2 : 0);
        EXPECT_EQ(curve.steps.size(), c.steps);
        EXPECT_EQ(curve.failureText(), c.end);
    }
    test::MemoryFileSystem fs;
    ResultCurve curve;
    EXPECT_EQ(readResultFile(fs, "missing.TGC", curve)->message,
              "The file cannot be read (No such file or directory).");
}

} // namespace
} // namespace zmbr
