#include <gtest/gtest.h>

#include "calibration/PureWater.h"
#include "calibration/SigmaParams.h"

namespace tidewell {
namespace {

// cos^2(140 deg) = 0.58682409, so the 140 degree factor is 1 + 0.835 x that = 1.48999811.
constexpr double k140 = 1.48999811;

TEST(PureWater, AbsorptionOnAndBetweenGridPoints) {
    const std::tuple<double, double> cases[] = {
        {0, 0.01137},     {384.9, 0.01137},                  // no line towards 385 nm below it
        {387.5, 0.00896}, {525, 0.0417},    {527, 0.04238},  // 0.0417 + 0.4 x (0.0434 - 0.0417)
        {729, 1.8978},                                       // 1.489 + 0.8 x (2 - 1.489)
        {730, 2},         {800, 2}};
    for (const auto& [lambda, a] : cases) EXPECT_NEAR(PureWater.a(lambda), a, a * 1e-6) << lambda;
}

TEST(PureWater, ScatteringKnownValues) {
    const std::tuple<double, double, bool, double> cases[] = {
        {525, 140, false, k140 * 0.000112},
        {525, 90, false, 0.000112},
        {262.5, 90, false, 19.97329 * 0.000112},  // 2^4.32 = 19.97329
        {0, 90, false, 0}};
    for (const auto& [lambda, angle, salt, beta] : cases)
        EXPECT_NEAR(PureWater.beta(lambda, angle, salt), beta, beta * 1e-6 + 1e-12)
            << lambda << " " << angle;
    EXPECT_NEAR(PureWater.bb(525, false), 8.03 * 0.000112, 1e-10);
}

TEST(PureWaterParams, DefaultsAndModelChoices) {
    const PureWaterParams defaults;
    EXPECT_NEAR(defaults.beta0, k140 * 0.000112 / 2, 1e-11);
    EXPECT_NEAR(defaults.bb0, 8.03 * 0.000112 / 2, 1e-10);
    EXPECT_TRUE(defaults.MorelFresh && defaults.IncludeBetaInDatFiles);

    struct Case {
        PureWaterModel model;
        double beta0, bb0;
        bool refilled;  // lambda0 and gammaLambda back to 525 and 4.32
    } cases[] = {
        {PureWaterModel::CorvaneRecommended, k140 * 0.000112 / 2, 8.03 * 0.000112 / 2, true},
        {PureWaterModel::MorelFresh, k140 * 0.000112, 8.03 * 0.000112, true},
        {PureWaterModel::MorelSalt, k140 * 0.000146, 8.03 * 0.000146, true},
        {PureWaterModel::NoPure, 0, 0, false},
        {PureWaterModel::CustomPure, 1e-3, 2e-3, false}};  // the custom numbers stay
    for (const auto& c : cases) {
        PureWaterParams p;
        p.beta0 = 1e-3f;
        p.bb0 = 2e-3f;
        p.lambda0 = 500;
        p.gammaLambda = 4;
        ChoosePureWaterModel(p, c.model);
        EXPECT_EQ(p.CorvaneRecommended + p.MorelFresh + p.MorelSalt + p.CustomPure + p.NoPure, 1);
        EXPECT_NEAR(p.beta0, c.beta0, 1e-10);
        EXPECT_NEAR(p.bb0, c.bb0, 1e-9);
        EXPECT_EQ(p.lambda0, c.refilled ? 525.0f : 500.0f);
        EXPECT_EQ(p.gammaLambda, c.refilled ? 4.32f : 4.0f);
    }
}

}  // namespace
}  // namespace tidewell
