#include <gtest/gtest.h>

#include "calibration/PureWater.h"
#include "calibration/SigmaParams.h"

namespace tidewell {
namespace {

TEST(PureWater, AbsorptionOnAndBetweenGridPoints) {
    struct Case {
        double lambda;
        double a;
    } cases[] = {
        {0, 0.01137},      // far below the table: the first entry
        {380, 0.01137},    //
        {382, 0.01137},    // below 385 nm there is no line towards the second entry
        {384.9, 0.01137},  //
        {385, 0.00941},    // grid point
        {387.5, 0.00896},  // halfway between 0.00941 and 0.00851
        {390, 0.00851},    //
        {440, 0.00635},    //
        {527, 0.04238},    // 0.0417 + 0.4 x (0.0434 - 0.0417)
        {600, 0.2224},     //
        {725, 1.489},      //
        {729, 1.8978},     // 1.489 + 0.8 x (2 - 1.489)
        {730, 2},          // last entry
        {800, 2},          // beyond the table: the last entry
    };
    for (const auto& c : cases) EXPECT_NEAR(PureWater.a(c.lambda), c.a, c.a * 1e-6) << c.lambda;
}

TEST(PureWater, TableHasSeventyOneValuesAtFiveNanometreSteps) {
    // Every grid point reads back its own entry, so no entry is shifted by one.
    for (int i = 0; i < PurewaterClass::kCount; ++i)
        EXPECT_EQ(PureWater.a(380 + 5 * i), PurewaterClass::kAbsorption[i]) << i;
    EXPECT_EQ(PurewaterClass::kAbsorption[29], 0.0417f);  // 525 nm
}

TEST(PureWater, ScatteringKnownValues) {
    struct Case {
        double lambda;
        double angle;
        bool salt;
        double beta;
    } cases[] = {
        // cos^2(140 deg) = 0.58682409: 1 + 0.835 x that = 1.48999811
        {525, 140, false, 1.48999811 * 0.000112},
        {525, 140, true, 1.48999811 * 0.000146},
        {525, 90, false, 0.000112},
        {525, 0, false, 1.835 * 0.000112},
        {262.5, 90, false, 19.97329 * 0.000112},  // 2^4.32 = 19.97329
        {0, 90, false, 0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(PureWater.beta(c.lambda, c.angle, c.salt), c.beta, c.beta * 1e-6 + 1e-12)
            << c.lambda << " " << c.angle;
    EXPECT_NEAR(PureWater.bb(525, false), 8.03 * 0.000112, 1e-10);
    EXPECT_NEAR(PureWater.bb(525, true), 8.03 * 0.000146, 1e-10);
}

TEST(PureWaterParams, DefaultsAreHalfOfFreshWaterAt525) {
    PureWaterParams p;
    EXPECT_NEAR(p.beta0, 1.48999811 * 0.000112 / 2, 1e-11);
    EXPECT_NEAR(p.bb0, 8.03 * 0.000112 / 2, 1e-10);
    EXPECT_EQ(p.lambda0, 525.0f);
    EXPECT_EQ(p.gammaLambda, 4.32f);
    EXPECT_EQ(p.chi, 1.08f);
    EXPECT_TRUE(p.MorelFresh);
    EXPECT_TRUE(p.IncludeBetaInDatFiles);
    EXPECT_FALSE(p.useCalFileChi || p.MorelSalt || p.CustomPure || p.NoPure ||
                 p.CorvaneRecommended);
}

TEST(PureWaterParams, ChoosingAModelFillsItsTerms) {
    struct Case {
        PureWaterModel model;
        double beta0;
        double bb0;
    } cases[] = {
        {PureWaterModel::CorvaneRecommended, 1.48999811 * 0.000112 / 2, 8.03 * 0.000112 / 2},
        {PureWaterModel::MorelFresh, 1.48999811 * 0.000112, 8.03 * 0.000112},
        {PureWaterModel::MorelSalt, 1.48999811 * 0.000146, 8.03 * 0.000146},
        {PureWaterModel::NoPure, 0, 0},
        {PureWaterModel::CustomPure, 1e-3, 2e-3},  // the custom numbers stay
    };
    for (const auto& c : cases) {
        PureWaterParams p;
        p.beta0 = 1e-3f;
        p.bb0 = 2e-3f;
        p.lambda0 = 500;
        p.gammaLambda = 4;
        ChoosePureWaterModel(p, c.model);
        const int set = p.CorvaneRecommended + p.MorelFresh + p.MorelSalt + p.CustomPure + p.NoPure;
        EXPECT_EQ(set, 1);
        EXPECT_NEAR(p.beta0, c.beta0, 1e-10);
        EXPECT_NEAR(p.bb0, c.bb0, 1e-9);
        const bool refilled =
            c.model != PureWaterModel::CustomPure && c.model != PureWaterModel::NoPure;
        EXPECT_EQ(p.lambda0, refilled ? 525.0f : 500.0f);
        EXPECT_EQ(p.gammaLambda, refilled ? 4.32f : 4.0f);
    }
}

}  // namespace
}  // namespace tidewell
