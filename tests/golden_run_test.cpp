// Whole runs compared byte for byte with known result files.
//
// The files in tests/data were written by tools/refmodel/zmbr_reference.py, a second
// implementation of the analysis written independently in Python from the same formulas,
// sharing no code with this one. Agreement of the two, digit for digit, is the check.
// Beyond that, parts of the files were worked out by hand from the formulas:
// - single_row, step 1: ε1 = 1e-5 is below εcr, so fc1 = 2·fc·ε1/εc = 0.300; the second pass
//   adds ρy·Σfriy = 0.004714·0.2475, giving τxy 0.301; the bar lies along ε1 (ψ = 0), so
//   εr = 0.000010; the linear bond law with lb = 10, k = 0.3516, tanh(k·lb/2) = 0.942 gives
//   Pcr = 0.576 N and εrcr = 0.576/35000 = 0.000016.
// - every file: the zero line keeps θ = 45.00 even where the initial angle is 40 (steel_yield).
// - fibre_rupture: the last step line's εrcr·Er = 0.007471·60000 = 448 N/mm² is just below
//   fru = 450, so the next step ruptures both rows ("1 RPT  2 RPT").
// - step_limit: 300 step lines and no closing lines.
// Regenerate one with (from tools/refmodel/panels):
//   python3 ../zmbr_reference.py NAME.json ../../../tests/data/NAME.TGC
//       --param-file-name NAME.mbr --date 12-06-2026 --time 09:30:05 [--max-steps N]

#include "input/execute_command.h"
#include "solver/analysis_run.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zmbr {
namespace {

struct Row {
    float thetaR, Ar, s, fru, Er;
    const char* mode;
};

struct GoldenPanel {
    const char* name;
    const char* comment;
    float initialTheta, axes, layer, t, sm, fc, epsC, Ec, tauBy, sBy;
    std::vector<Row> rows;
    int maxSteps;
    RunEnd end;
    int steps;
};

PanelInput panelOf(const GoldenPanel& g) {
    PanelInput in = PanelInput::defaults();
    in.comment = g.comment;
    in.initialTheta = g.initialTheta;
    in.axes = g.axes;
    in.layer = g.layer;
    in.t = g.t;
    in.sm = g.sm;
    in.fc = g.fc;
    in.epsC = g.epsC;
    in.Ec = g.Ec;
    in.tauBy = g.tauBy;
    in.sBy = g.sBy;
    std::array<std::string, kMaxRows> modes;
    modes.fill("rupture");
    for (std::size_t i = 0; i < g.rows.size(); ++i) {
        const Row& r = g.rows[i];
        in.rows[i].thetaR = r.thetaR;
        in.rows[i].Ar = r.Ar;
        in.rows[i].s = r.s;
        in.rows[i].fru = r.fru;
        in.rows[i].Er = r.Er;
        modes[i] = r.mode;
    }
    deriveRowValues(in, modes);
    in.paramFileName = std::string(g.name) + ".mbr";
    in.outputFileName = in.paramFileName;
    return in;
}

std::vector<Row> repeated(int n, Row r) {
    return std::vector<Row>(static_cast<std::size_t>(n), r);
}

std::vector<Row> defaultRows() {
    std::vector<Row> rows = repeated(5, {0, 1, 10, 2000, 35000, "rupture"});
    for (const Row& r : repeated(5, {90, 1, 10, 2000, 35000, "rupture"}))
        rows.push_back(r);
    return rows;
}

std::vector<Row> tenMixedRows() {
    std::vector<Row> rows;
    for (int i = 0; i < 10; ++i) {
        const bool steel = i % 3 == 0;
        const bool heavy = i % 2 == 0;
        rows.push_back({20.0f * i, heavy ? 0.8f : 0.6f, 12, steel ? 900.0f : 1500.0f,
                        heavy ? 150000.0f : 45000.0f, steel ? "yield" : "rupture"});
    }
    return rows;
}

const GoldenPanel kPanels[] = {
    {"default", "Please input the comment", 45, 10, 1, 15, 10, -30, -0.002f, 24000, 15, 0.0035f,
     defaultRows(), 10000, RunEnd::Failure, 95},
    {"concrete_crush",
     "heavily reinforced steel panel, concrete crushing",
     45,
     2,
     2,
     80,
     100,
     -20,
     -0.002f,
     21000,
     15,
     0.0035f,
     {{0, 113.1f, 100, 500, 200000, "yield"}, {90, 113.1f, 100, 500, 200000, "yield"}},
     10000,
     RunEnd::Failure,
     97},
    {"fibre_rupture",
     "two fibre rows 0/90, light, rupture",
     45,
     2,
     1,
     20,
     15,
     -40,
     -0.002f,
     28000,
     10,
     0.005f,
     {{0, 0.5f, 20, 450, 60000, "rupture"}, {90, 0.5f, 20, 450, 60000, "rupture"}},
     10000,
     RunEnd::Failure,
     170},
    {"steel_yield",
     "steel rows 0/90 that yield",
     40,
     2,
     2,
     100,
     150,
     -30,
     -0.002f,
     24000,
     15,
     0.0035f,
     {{0, 78.5f, 200, 400, 200000, "yield"}, {90, 78.5f, 150, 400, 200000, "yield"}},
     10000,
     RunEnd::Failure,
     129},
    {"single_row",
     "one row at 135 degrees",
     45,
     1,
     1,
     15,
     10,
     -30,
     -0.002f,
     24000,
     15,
     0.0035f,
     {{135, 1, 10, 2000, 35000, "rupture"}},
     10000,
     RunEnd::Failure,
     174},
    {"ten_rows_mixed", "ten rows 0..180 degrees, mixed modes", 50, 10, 1, 20, 12, -35, -0.0022f,
     26000, 12, 0.004f, tenMixedRows(), 10000, RunEnd::Failure, 90},
    {"step_limit",
     "almost bare panel, ductile concrete: runs to the step limit",
     45,
     2,
     1,
     15,
     10,
     -30,
     -0.1f,
     24000,
     15,
     0.0035f,
     {{0, 0.001f, 10, 1, 35000, "yield"}, {90, 0.001f, 10, 1, 35000, "yield"}},
     300,
     RunEnd::StepLimit,
     300},
};

TEST(GoldenRun, ResultFilesMatchTheReferenceRuns) {
    for (const GoldenPanel& g : kPanels) {
        SCOPED_TRACE(g.name);
        PanelInput in = panelOf(g);
        test::MemoryFileSystem fs;
        FixedClock clock{test::kGoldenMoment};
        const RunOutcome o = runAnalysis(in, {&fs, &clock, nullptr, nullptr, g.maxSteps});
        EXPECT_EQ(o.end, g.end);
        EXPECT_EQ(o.steps, g.steps);

        const std::string golden =
            g.maxSteps == 10000 ? std::string(g.name) + ".TGC" : std::string(g.name) + "_300.TGC";
        const auto expected = test::crlfLines(test::readFile(test::dataPath(golden)));
        const auto actual = test::crlfLines(fs.files.at(std::string(g.name) + ".TGC"));
        ASSERT_EQ(actual.size(), expected.size());
        // Line by line, so a difference names its step.
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(actual[i], expected[i]) << "line " << i + 1;

        // The maximum shown covers the steps before the last one solved.
        const std::size_t beforeLast =
            g.end == RunEnd::Failure ? expected.size() - 3 : expected.size() - 1;
        double largest = 0;
        for (std::size_t i = 4; i < beforeLast; ++i)
            largest = std::max(largest, std::stod(expected[i]));
        EXPECT_NEAR(o.tauMax, largest, 5e-4);
    }
}

} // namespace
} // namespace zmbr
