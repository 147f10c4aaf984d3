#include "solver/material_laws.h"

#include <gtest/gtest.h>

namespace zmbr {
namespace {

// Worked values for fc = -30, εc = -0.002, checked by hand from the laws.
TEST(MaterialLaws, ConcreteOfTheDefaultPanel) {
    const ConcreteLaw law = makeConcreteLaw(-30, -0.002f);
    EXPECT_NEAR(law.ft, 1.80748, 5e-6);
    EXPECT_NEAR(law.epsCr, 6.02495e-5, 5e-10);

    struct Case {
        double eps1, fc1;
    };
    // The linear branch includes epsCr itself; the stress drops at cracking.
    for (Case c :
         {Case{law.epsCr, 1.80748}, Case{7e-5, 1.6162}, Case{0.001, 1.2489}, Case{1e-5, 0.3}})
        EXPECT_NEAR(law.tension(c.eps1), c.fc1, 5e-5) << c.eps1;

    EXPECT_DOUBLE_EQ(law.softenedStrength(0.002), -30); // -31.58 limited to fc
    EXPECT_NEAR(law.softenedStrength(0.01), -6.3158, 5e-5);
    EXPECT_NEAR(law.softenedStrength(0.02), -3.1579, 5e-5);

    const double peak = law.softenedStrength(0.01);
    EXPECT_DOUBLE_EQ(law.compressiveStrain(peak, peak), double(-0.002f)); // εc itself
    EXPECT_DOUBLE_EQ(law.compressiveStrain(0, peak), 0);
    EXPECT_NEAR(law.compressiveStrain(peak / 2, peak), -0.00058579, 5e-9);
    // Beyond the peak: the mirrored branch.
    EXPECT_NEAR(law.compressiveStrain(1.5 * peak, peak), -0.00058579, 5e-9);
    EXPECT_GT(law.compressiveStrain(2.5 * peak, peak), 0);
}

TEST(MaterialLaws, RowStressCapsOnlyYieldRowsInTension) {
    struct Case {
        bool yieldRow;
        double epsR, stress;
        int yielded;
    };
    const Case cases[] = {
        {true, 0.05, 1750, 0},
        {true, 0.06, 2000, 1},
        {true, -0.1, -3500, 0},
        {false, 0.06, 2100, 0},
    };
    for (const Case& c : cases) {
        int yielded = 0;
        EXPECT_NEAR(rowStress(35000, 2000, c.yieldRow, c.epsR, yielded), c.stress, 1e-9);
        EXPECT_EQ(yielded, c.yielded);
    }
}

} // namespace
} // namespace zmbr
