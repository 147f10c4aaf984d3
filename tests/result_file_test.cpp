#include "results/result_file.h"

#include "platform/text_encoding.h"
#include "test_support.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace zmbr
