#include "results/result_file.h"

#include "input/text_encoding.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zmbr {
namespace {

TEST(ResultFile, HeaderLines) {
    EXPECT_EQ(resultHeaderLine1("C:/panels/a.mbr", {2026, 3, 7, 8, 5, 9}),
              "τ-γ relationship created by ZMBR3, MBR file = C:/panels/a.mbr, at 03-07-2026, "
              "08:05:09");
    EXPECT_EQ(resultHeaderLine1("", {2026, 12, 31, 23, 59, 0}),
              "τ-γ relationship created by ZMBR3, MBR file = , at 12-31-2026, 23:59:00");

    const std::string fixed = "τxy(MPa)      γxy       ε1       ε2     θ ";
    EXPECT_EQ(utf8Length(fixed), 42u);
    EXPECT_EQ(resultColumnTitles(2), fixed + "    εr 1     εr 2   εrcr 1   εrcr 2 ");
    const std::string ten = resultColumnTitles(10);
    EXPECT_EQ(utf8Length(ten), 42u + 20 * 9);
    EXPECT_NE(ten.find("    εr 9    εr 10   εrcr 1 "), std::string::npos);
    EXPECT_TRUE(ten.ends_with("  εrcr 9  εrcr 10 ")) << ten;

    EXPECT_EQ(resultZeroLine(1),
              "    0.000  0.000000  0.000000  0.000000  45.00  0.000000  0.000000");
}

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

TEST(ResultFile, ClosingLines) {
    RunState rs;
    rs.rows = 2;
    rs.concreteStatus = ConcreteStatus::Ok;
    rs.rowStatus = {RowStatus::Ok, RowStatus::Rpt};
    std::string out;
    appendClosingLines(out, rs);
    EXPECT_EQ(out, "Concrete : OK\r\nReinforcements : \r\n 1 OK  2 RPT \r\n");

    rs.rows = 10;
    rs.concreteStatus = ConcreteStatus::NG;
    rs.rowStatus.fill(RowStatus::Yld);
    out.clear();
    appendClosingLines(out, rs);
    EXPECT_EQ(test::crlfLines(out).at(2),
              " 1 YLD  2 YLD  3 YLD  4 YLD  5 YLD  6 YLD  7 YLD  8 YLD  9 YLD  10 YLD ");
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
    const auto lines = test::crlfLines(bytes);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(cp932ToUtf8(lines[1]), "試験体 A");
    EXPECT_EQ(lines[3], resultZeroLine(1));
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
}

TEST(ResultFile, FailedWriteClosesTheFileAndKeepsCompleteLines) {
    test::MemoryFileSystem fs;
    ResultFile file;
    ASSERT_EQ(file.open(fs, "b.TGC", PanelInput::defaults(), 2, {}), 0);
    RunState rs = stepWithTwoRows();
    ASSERT_EQ(file.writeStep(rs), 0);
    fs.failWriteNumber = fs.writes + 1;
    EXPECT_EQ(file.writeStep(rs), ENOSPC);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(fs.openFiles, 0);
    EXPECT_EQ(test::crlfLines(fs.files.at("b.TGC")).size(), 5u);
    EXPECT_NE(file.writeClosing(rs), 0);
}

} // namespace
} // namespace zmbr
