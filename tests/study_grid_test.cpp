// A study with many curves is drawn as a map: the grid behind it.

#include "study/study_grid.h"

#include <gtest/gtest.h>

namespace zmbr {
namespace {

StudyResults results(std::size_t names, const std::vector<StudyPoint>& points) {
    StudyResults r;
    for (const char* name : {"Ar", "fc", "t"})
        if (r.names.size() < names)
            r.names.push_back(VariedName{name});
    r.points = points;
    return r;
}

TEST(StudyGrid, AMapForManyCurvesOrMoreThanTwoNames) {
    auto secondNameValues = [](int count) {
        std::vector<StudyPoint> points;
        for (int i = 0; i < count; ++i)
            points.push_back({{"1.000", std::to_string(-20 - i) + ".00"}, 1.0, "concrete_ng"});
        return points;
    };
    EXPECT_FALSE(studyWantsMap(results(1, {{{"1.000"}, 1.0, "concrete_ng"}})));
    EXPECT_FALSE(studyWantsMap(results(2, secondNameValues(8))));
    EXPECT_TRUE(studyWantsMap(results(2, secondNameValues(9))));
    EXPECT_TRUE(studyWantsMap(results(3, {{{"1.000", "-20.00", "150.00"}, 1.0, "rupture"}})));
}

// Cells in ascending order of both values, whatever order the ranges ran in; each shows the
// lowest τxy max over the names beyond the second, with that variant's end; a cell without a
// step keeps how its runs ended.
TEST(StudyGrid, CellsHoldTheLowestOverTheFoldedNames) {
    const StudyGrid g =
        studyGrid(results(3, {{{"10.000", "-20.00", "100.00"}, 3.0, "concrete_ng"},
                              {{"10.000", "-20.00", "200.00"}, 2.5, "rupture"},
                              {{"10.000", "-30.00", "100.00"}, 4.0, "concrete_ng"},
                              {{"10.000", "-30.00", "200.00"}, 4.5, "concrete_ng"},
                              {{"5.000", "-20.00", "100.00"}, std::nullopt, "stopped"},
                              {{"5.000", "-20.00", "200.00"}, std::nullopt, "stopped"},
                              {{"5.000", "-30.00", "100.00"}, 1.5, "step_limit"},
                              {{"5.000", "-30.00", "200.00"}, 2.0, "concrete_ng"}}));
    EXPECT_EQ(g.xs, (std::vector<double>{5, 10}));
    EXPECT_EQ(g.ys, (std::vector<double>{-30, -20}));
    EXPECT_EQ(g.folded, (std::vector<std::string>{"t"}));
    // The variant a cell opens is the one it shows, or its first where none has a step.
    struct Expected {
        std::size_t x, y;
        std::optional<double> tau;
        const char* end;
        std::size_t variant;
    };
    for (const Expected& e :
         {Expected{0, 0, 1.5, "step_limit", 6}, Expected{0, 1, {}, "stopped", 4},
          Expected{1, 0, 4.0, "concrete_ng", 2}, Expected{1, 1, 2.5, "rupture", 1}}) {
        SCOPED_TRACE(testing::Message() << e.x << ", " << e.y);
        EXPECT_EQ(g.at(e.x, e.y).tauMax, e.tau);
        EXPECT_EQ(g.at(e.x, e.y).end, e.end);
        EXPECT_EQ(g.at(e.x, e.y).variant, e.variant);
    }
}

} // namespace
} // namespace zmbr
