// The yield-zone search passes over stretches of iterates through which |Pb| is proven to keep
// falling. Whatever it passes over, the run must write the same result file as a search that
// evaluates every iterate, and the proof must never claim an iterate at which |Pb| turns.

#include "bond/falling_stretch.h"
#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"
#include "random_panel.h"
#include "run/analysis_run.h"
#include "run/execute_command.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace zmbr {
namespace {

struct PanelRun {
    RunOutcome outcome;
    std::string resultFile;
};

// Reads, executes and runs a parameter file in memory, as the batch does.
PanelRun runFile(const std::string& bytes, bool walkEveryIterate) {
    test::MemoryFileSystem fs;
    fs.files["panel.mbr"] = bytes;
    ParameterSheet sheet;
    sheet.load();
    PanelRun run;
    if (readParameterFile(sheet, fs, "panel.mbr") || prepareExecute(sheet, fs))
        return run; // not run: nothing to compare
    FixedClock clock{test::kGoldenMoment};
    RunSettings settings{&fs, &clock, nullptr, nullptr};
    settings.walkEveryIterate = walkEveryIterate;
    run.outcome = runAnalysis(sheet.input(), settings);
    run.resultFile = fs.files["panel.TGC"];
    return run;
}

void expectSameRun(const std::string& bytes) {
    const PanelRun fast = runFile(bytes, false), plain = runFile(bytes, true);
    EXPECT_EQ(fast.outcome.end, plain.outcome.end);
    EXPECT_EQ(fast.outcome.steps, plain.outcome.steps);
    EXPECT_EQ(fast.outcome.message, plain.outcome.message);
    EXPECT_EQ(fast.resultFile, plain.resultFile);
}

// A panel whose searches walk ly up for hundreds of thousands of iterates: steel_yield with
// 400 mm² bars and fc −20. It ends by the concrete, between its neighbours Ar 395 and 355.
TEST(YieldZoneSearch, LongSearchesEndByTheirOwnRule) {
    const std::string bytes = test::readFile(test::dataPath("long_search.mbr"));
    const PanelRun fast = runFile(bytes, false);
    EXPECT_EQ(fast.outcome.end, RunEnd::Failure);
    EXPECT_TRUE(fast.outcome.concreteNG);
    EXPECT_EQ(fast.outcome.steps, 105);
    EXPECT_NEAR(fast.outcome.tauMax, 5.251, 5e-4);
    expectSameRun(bytes);
}

// Random panels typed as a user would, many of them with searches of millions of iterates.
TEST(YieldZoneSearch, PassingOverProvenStretchesChangesNoResultFile) {
    panelgen::SeededChoices choices(20261207);
    for (int i = 0; i < 200; ++i) {
        const panelgen::RandomPanel panel = panelgen::randomPanel(choices);
        SCOPED_TRACE(panel.bytes);
        expectSameRun(panel.bytes);
    }
}

// Search terms of plausible panels: bars of 10–1000 mm², moduli of 40–200 GPa, bond laws of
// 1–20 N/mm² at 0.001–0.05 mm, 5–400 mm between cracks, average stresses up to 600 N/mm².
YieldZoneTerms randomTerms(std::mt19937_64& rng) {
    auto between = [&](double lo, double hi) {
        return lo * std::pow(hi / lo, std::uniform_real_distribution<double>(0, 1)(rng));
    };
    const float Ar = static_cast<float>(between(10, 1000));
    const float Er = static_cast<float>(between(4e4, 2e5));
    const float tauBy = static_cast<float>(between(1, 20));
    const float sBy = static_cast<float>(between(1e-3, 5e-2));
    // Now and then bars so large that 1/nρ vanishes beside 1.
    const double nRho = rng() % 4 ? between(1e-3, 2) : between(1e16, 1e20);
    const double lb = between(5, 400), fr = between(1, 600);
    YieldZoneTerms t;
    t.k = std::sqrt(tauBy * (1 + nRho) / static_cast<float>(Er * Ar * sBy));
    t.negK = -t.k;
    t.lb = lb;
    t.halfLength = lb / 2;
    t.tauBy = tauBy;
    t.EA = static_cast<float>(Er * Ar);
    t.barForce = lb * (Ar * fr);
    t.slipForce = static_cast<float>(2 * Er * Ar * sBy) / (1 + nRho);
    t.shareOfBar = 1 + 1 / nRho;
    t.slipTerm = sBy * t.k;
    t.bondStress = tauBy * (1 + nRho);
    return t;
}

// Every claim is walked iterate by iterate: ly must reach the claimed iterate by the walk's
// own running sums, and |Pb| must fall at each iterate on the way.
TEST(YieldZoneSearch, ProvenStretchesHoldIterateByIterate) {
    std::mt19937_64 rng(42);
    int claims = 0;
    long walked = 0;
    for (int c = 0; c < 400 && walked < 30'000'000; ++c) {
        const YieldZoneTerms t = randomTerms(rng);
        const FallingStretch stretch(t);
        // Now and then just below a power of two, where a stretch must end with its binade.
        double ly = rng() % 4 ? std::uniform_real_distribution<double>(-50, 5000)(rng)
                              : std::ldexp(1.0, static_cast<int>(rng() % 12) + 1) -
                                    std::uniform_real_distribution<double>(0.5, 5)(rng);
        const int dir = rng() % 2 ? 1 : -1;
        YieldZoneResidual at = yieldZoneResidual(t, ly);
        const long m = stretch.iteratesProvenFalling(ly, at, dir);
        if (m == 0)
            continue;
        ++claims;
        SCOPED_TRACE(testing::Message() << "case " << c << ", ly " << ly << ", m " << m);
        const double claimed = ly + static_cast<double>(m) * ((ly + 0.01 * dir) - ly);
        for (long j = 1; j <= m; ++j) {
            ly = ly + 0.01 * dir;
            const YieldZoneResidual next = yieldZoneResidual(t, ly);
            ASSERT_TRUE(residualIsDefined(next));
            ASSERT_LT(std::fabs(next.Pb), std::fabs(at.Pb)) << "at iterate " << j;
            at = next;
        }
        walked += m;
        ASSERT_EQ(ly, claimed);
    }
    EXPECT_GT(claims, 100);
}

} // namespace
} // namespace zmbr
