// Whole runs compared byte for byte with known result files: each panel's parameter file is
// read, executed and run as the program does it.
//
// The result files in tests/data were written by tools/refmodel/zmbr_reference.py, a second
// implementation of the analysis written independently in Python, sharing no code with this
// one; it reads the parameter files itself. Agreement of the two, digit for digit, is the
// check (tests/data/README.txt tells how each run ends and how to regenerate a file).
// Beyond that, parts of the files were worked out by hand from the formulas:
// - single_row, step 1: ε1 = 1e-5 is below εcr, so fc1 = 2·fc·ε1/εc = 0.300; the second pass
//   adds ρy·Σfriy = 0.004714·0.2475, giving τxy 0.301; the bar lies along ε1 (ψ = 0), so
//   εr = 0.000010; the linear bond law with lb = 10, k = 0.3516, tanh(k·lb/2) = 0.942 gives
//   Pcr = 0.576 N and εrcr = 0.576/35000 = 0.000016.
// - every file: the zero line keeps θ = 45.00 even where the initial angle is 40 (steel_yield).
// - fibre_rupture: the last step line's εrcr·Er = 0.007471·60000 = 448 N/mm² is just below
//   fru = 450, so the next step ruptures both rows ("1 RPT  2 RPT").
// - three_way_mixed: rows at 30°, 120° and 150°, whose direction cosines taken in float end
//   the run two steps earlier; only cosines in double give this file.
// - step_limit: 300 step lines and no closing lines.

#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"
#include "run/analysis_run.h"
#include "run/execute_command.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zmbr {
namespace {

struct GoldenPanel {
    const char* name;
    int maxSteps;
    RunEnd end;
    int steps;
};

const GoldenPanel kPanels[] = {
    {"default", 10000, RunEnd::Failure, 95},
    {"concrete_crush", 10000, RunEnd::Failure, 97},
    {"fibre_rupture", 10000, RunEnd::Failure, 170},
    {"steel_yield", 10000, RunEnd::Failure, 129},
    {"single_row", 10000, RunEnd::Failure, 174},
    {"ten_rows_mixed", 10000, RunEnd::Failure, 90},
    {"three_way_mixed", 10000, RunEnd::Failure, 153},
    {"step_limit", 300, RunEnd::StepLimit, 300},
};

TEST(GoldenRun, ResultFilesMatchTheReferenceRuns) {
    for (const GoldenPanel& g : kPanels) {
        SCOPED_TRACE(g.name);
        const std::string name = g.name;
        ParameterSheet sheet;
        sheet.load();
        ASSERT_FALSE(readParameterFile(sheet, realFileSystem(), test::dataPath(name + ".mbr")));
        // As if opened from the current folder.
        sheet.input().paramFileName = sheet.input().outputFileName = name + ".mbr";
        test::MemoryFileSystem fs;
        ASSERT_FALSE(prepareExecute(sheet, fs));
        FixedClock clock{test::kGoldenMoment};
        const RunOutcome o =
            runAnalysis(sheet.input(), {&fs, &clock, nullptr, nullptr, g.maxSteps});
        EXPECT_EQ(o.end, g.end);
        EXPECT_EQ(o.steps, g.steps);

        const std::string golden = g.maxSteps == 10000 ? name + ".TGC" : name + "_300.TGC";
        const auto expected = test::crlfLines(test::readFile(test::dataPath(golden)));
        const auto actual = test::crlfLines(fs.files.at(name + ".TGC"));
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
