#include "bond/bond_analysis.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zmbr {
namespace {

// Counts the yield-zone searches a row's analysis starts.
struct SearchCounter : StepObserver {
    int searches = 0;
    void bondSearchStarted(int) override { ++searches; }
};

// One 90° row of the default panel at θ = 45°, average stress fr.
struct OneRow {
    PanelInput in = PanelInput::defaults();
    RunState rs;
    SearchCounter counter;

    explicit OneRow(double fr, FailureMode mode = FailureMode::Rupture) {
        in.axes = 1;
        in.row(1).modularRatio = 35000.0f / 24000.0f;
        in.row(1).failureMode = mode;
        rs.rows = 1;
        rs.rhoR[0] = Single(1.0f / 150.0f);
        rs.rowType[0] = mode == FailureMode::Rupture ? RowStatus::Rpt : RowStatus::Yld;
        rs.stepState.theta = 45 * 3.1416 / 180;
        rs.stepState.psi[0] = rs.stepState.theta + 3.1416 / 2 - 90 * 3.1416 / 180;
        rs.stepState.fr[0] = fr;
    }
    void analyse() {
        const RunParameters p = runParameters(in);
        analyseBondAtCracks(RunContext{p, rs, &counter, nullptr});
    }
};

TEST(BondAnalysis, YieldZoneSearchAboveTheKnee) {
    OneRow r(20); // bond at the crack face 16.6116 > τby
    r.analyse();
    EXPECT_EQ(r.counter.searches, 1);
    // Worked by hand: |Pb| falls from 0.1115 at ly = 0 to its zero near ly = 9.40, where
    // the bar force at the crack is about 98.69 N; three reversals later the search stops
    // within a step or two of that point.
    EXPECT_GT(r.rs.bondIterations, 940);
    EXPECT_LT(r.rs.bondIterations, 950);
    EXPECT_NEAR(r.rs.bond[0].lyRow, 9.40, 0.025);
    EXPECT_NEAR(r.rs.bond[0].frCr, 98.69, 0.05);
    EXPECT_NEAR(r.rs.bond[0].epsRcr, r.rs.bond[0].frCr / 35000, 1e-15);

    // The next step's search starts where this one ended.
    const int before = r.rs.bondIterations;
    r.analyse();
    EXPECT_LT(r.rs.bondIterations - before, 10);
}

// The linear bond law worked by hand for fr = 10: lb = 14.1422, k = 0.351624, T = 0.986247,
// Pcr = 24.1835, bond at the crack face 8.30581 < τby; for fr = 20 the yield-zone search gives
// about 98.69 N. The strain at the crack is that force's, never capped.
TEST(BondAnalysis, CrackStressDecidesTheRowStatus) {
    struct Case {
        double fr;
        float fru;
        FailureMode mode;
        int yieldedBefore;
        RowStatus status;
        int runEnd;
        double frCr;
    };
    const Case cases[] = {
        {-50, 1, FailureMode::Rupture, 0, RowStatus::Ok, 0, -50}, // compression: no bond
        {0, 1, FailureMode::Rupture, 0, RowStatus::Ok, 0, 0},     // bond analysis gives 0
        {10, 25, FailureMode::Rupture, 0, RowStatus::Ok, 0, 24.1835},
        {10, 24, FailureMode::Rupture, 0, RowStatus::Rpt, 1, 24.1835}, // above fru
        {10, 24, FailureMode::Yield, 0, RowStatus::Yld, 0, 24},        // capped, runs on
        {10, 25, FailureMode::Yield, 1, RowStatus::Yld, 0, 24.1835},   // yielded in the panel
        {10, 25, FailureMode::Yield, 0, RowStatus::Ok, 0, 24.1835},
        {20, 50, FailureMode::Rupture, 0, RowStatus::Rpt, 1, 98.69}, // after the search
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fr);
        OneRow r(c.fr, c.mode);
        r.in.row(1).fru = c.fru;
        r.rs.yielded[0] = c.yieldedBefore;
        r.analyse();
        EXPECT_EQ(r.counter.searches, c.fr == 20 ? 1 : 0);
        EXPECT_EQ(r.rs.rowStatus[0], c.status);
        EXPECT_EQ(r.rs.runEnd, c.runEnd);
        const double tolerance = c.fr == 20 ? 0.05 : 5e-5;
        EXPECT_NEAR(r.rs.bond[0].frCr, c.frCr, tolerance);
        const double force = c.fr <= 0 ? c.fr : c.fr == 10 ? 24.1835 : 98.69;
        EXPECT_NEAR(r.rs.bond[0].epsRcr, force / 35000, tolerance / 35000);
    }
}

TEST(BondAnalysis, LongBarsBetweenCracksAreNotAnalysed) {
    OneRow r(10);
    r.in.sm = 400; // lb = 400·√2 > 300·√2
    r.analyse();
    EXPECT_DOUBLE_EQ(r.rs.bond[0].frCr, 10);
    EXPECT_DOUBLE_EQ(r.rs.bond[0].epsRcr, 10 / 35000.0);
}

} // namespace
} // namespace zmbr
