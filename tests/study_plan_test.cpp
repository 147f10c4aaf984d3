// A study's plan: the variants typed into the panel, saved and opened again as --study runs
// them, with their names and the values their fields hold; and what a variant run elsewhere
// sends back of its result file.

#include "study/study_plan.h"

#include <gtest/gtest.h>

namespace zmbr {
namespace {

VariedRange range(const std::string& arg) {
    auto r = parseVary(arg);
    EXPECT_TRUE(r) << arg;
    return *r;
}

TEST(StudyPlan, VariantsAreTypedSavedAndOpenedAgain) {
    ParameterSheet base;
    base.load();
    auto plan = makeStudyPlan(base, "walls/wall.mbr",
                              {range("t=100:200:100"), range("thetaR.1=0:210:210")}, "out");
    ASSERT_TRUE(plan) << plan.failure().message;
    ASSERT_EQ(plan->paths.size(), 4u);
    EXPECT_EQ(plan->paths[3], "out/wall-4.mbr");
    EXPECT_EQ(plan->stored[1], (std::vector<std::string>{"100.00", "180.0"}));
    EXPECT_EQ(plan->notes,
              (std::vector<std::string>{"thetaR.1 = 210 is stored as 180.0 (the field's limit)"}));
    EXPECT_EQ(variedColumns(*plan), (std::vector<std::string>{"t", "thetaR.1"}));
    auto variant = variantSheet(*plan, 2);
    ASSERT_TRUE(variant);
    EXPECT_EQ(variant->input().t, 200.0f);
    EXPECT_EQ(variant->input().paramFileName, "out/wall-3.mbr");

    auto refused = makeStudyPlan(base, "wall.mbr", {range("t=1:2:1"), range("t=3:4:1")}, "out");
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.failure().message.find("t"), std::string::npos);
}

// The step of the largest τxy (the first of equals) and the last, each once, in order.
TEST(StudyPlan, AVariantSendsBackTheStepsTheSummaryReads) {
    auto step = [](double tau) { return ResultStep{tau, tau / 1000, 0, 0, 45}; };
    struct Case {
        std::vector<double> taus, kept;
    };
    for (const Case& c : {Case{{1, 3, 2}, {3, 2}}, Case{{1, 2, 3}, {3}}, Case{{3, 1, 3}, {3, 3}},
                          Case{{2}, {2}}, Case{{}, {}}}) {
        ResultCurve curve;
        for (double t : c.taus)
            curve.steps.push_back(step(t));
        std::vector<double> kept;
        for (const ResultStep& s : summaryCurve(curve).steps)
            kept.push_back(s.tauXY);
        EXPECT_EQ(kept, c.kept);
        if (!c.taus.empty())
            EXPECT_EQ(summaryCurve(curve).tauMaxStep()->tauXY, curve.tauMaxStep()->tauXY);
    }
}

} // namespace
} // namespace zmbr
