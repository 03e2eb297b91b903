#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "calibration/SigmaModel.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using test::ScriptedPrompter;
constexpr double kInf = INFINITY;

TEST(SigmaModel, AbsorptionEstimateFromANumberOrATable) {
    SigmaParams fromTable;  // a* from the table: 0.5 at 440 nm
    fromTable.C = 1;
    const SigmaTables tables{ParseSigmaTable("430,0.4\n440,0.5\n450,0.6\n"), {}};
    SigmaParams number = fromTable;
    number.aStar = 0.5;
    SigmaParams lowC = number;
    lowC.C = 0.1;
    const std::tuple<const SigmaParams&, int, bool, double> cases[] = {
        // 0.06 x 0.5 x 1 = 0.03; x (1 + 0.2 e^0) = 0.036; + 0.01 e^(-0.44) = 0.0064403642
        {number, 440, false, 0.0424403642},
        {fromTable, 440, false, 0.0424403642},
        {number, 440, true, 0.0500603641},  // (0.03 + 0.00635) x 1.2 + 0.0064403642
                                            // 0.06 x 0.5 x 0.1^0.65 = 0.0067161630; x (1 +
                                            // 0.2 e^0.56) = x 1.3501346; + 0.01
        {lowC, 400, false, 0.0190677239}};
    for (const auto& [params, lambda, includeWater, a] : cases) {
        ScriptedPrompter prompter;
        EXPECT_NEAR(EstimateA(params, tables, lambda, includeWater, prompter), a, 1e-9);
        EXPECT_TRUE(prompter.shown.empty());
    }
    SigmaParams bTable;
    bTable.bTilde = Failed;
    ScriptedPrompter prompter;
    EXPECT_NEAR(
        EstimateBbTilde(bTable, {{}, ParseSigmaTable("400,0.01\n500,0.02\n")}, 470, prompter),
        0.017, 1e-12);
    EXPECT_EQ(EstimateBbTilde(SigmaParams{}, {}, 470, prompter), 0.015);
}

TEST(SigmaModel, MissingTableValuesShowTheirMessageOncePerLookup) {
    SigmaParams p;
    p.aStarFile = "/data/aStar.csv";
    p.bTilde = Failed;
    p.bTildeFile = "/data/bb.csv";
    ScriptedPrompter prompter;
    EXPECT_EQ(EstimateA(p, {}, 470, false, prompter), kInf);
    EXPECT_EQ(EstimateBbTilde(p, {}, 532, prompter), kInf);
    EXPECT_EQ(prompter.shown,
              (std::vector<std::string>{
                  "A value needed for adjustment of 470 nm backscattering values could not be "
                  "loaded from /data/aStar.csv.  See 'Sigma Parameters' under the File menu to "
                  "select a different file.",
                  "A value needed for sigma-correction of 532 nm backscattering values could not "
                  "be loaded from /data/bb.csv.  See 'Sigma Parameters' under the File menu to "
                  "select a different file."}));
}

TEST(SigmaModel, BbFromBetaTakesPureWaterOffAndScalesByChi) {
    PureWaterParams none;
    ChoosePureWaterModel(none, PureWaterModel::NoPure);
    PureWaterParams pure = none;
    pure.beta0 = 1e-4f;
    pure.bb0 = 5e-4f;
    const std::tuple<const PureWaterParams&, bool, double, double, double, double> cases[] = {
        {none, true, 1, 525, 6.9, 6.9},         // a full factor in the calibration is used as is
        {none, true, 1, 525, 1.1, 6.91152},     // 2 pi x 1.1
        {none, true, 1, 525, 3, 3},             // 3 counts as a full factor
        {none, false, 1, 525, 6.9, 6.7858563},  // the preferences' chi 1.08 (a single)
        {pure, true, 0.002, 525, 1.1, 0.013631888},     // (0.002 - 0.0001) x 6.91152 + 0.0005
        {pure, true, 0.002, 0, 1.1, 0.002 * 6.91152}};  // no pure-water terms at lambda 0
    for (const auto& [base, useCalFileChi, beta, lambda, chiCal, bb] : cases) {
        PureWaterParams prefs = base;
        prefs.useCalFileChi = useCalFileChi;
        EXPECT_NEAR(BbFromBeta(prefs, beta, lambda, chiCal), bb, 1e-6 * bb) << chiCal;
    }
    PureWaterParams p;
    p.beta0 = 2e-4f;
    p.bb0 = 1e-3f;
    p.lambda0 = 500;
    p.gammaLambda = 4;
    EXPECT_NEAR(PureBeta(p, 250), 16 * 2e-4, 1e-10);
    EXPECT_EQ(PureBeta(p, 0), 0);
    EXPECT_NEAR(BbFromBeta(p, PureBeta(p, 250), 250, 1), 16 * 1e-3, 1e-9);
    // The pure-water point: bb_w(525) = 8.03 x 0.000112 = 0.00089936.
    EXPECT_NEAR(PureWaterK(525, false), 0.8 * 0.00089936, 1e-9);
    EXPECT_NEAR(PureWaterK(525, true), 0.0417 + 1.6 * 0.00089936, 1e-8);
}

TEST(SigmaModel, SigmaFunction) {
    struct Case {
        SigmaCoefficients c;
        double K, sigma;
    } cases[] = {{{}, 5, 1},
                 {{0.98, 0.05, 0.01, 0.5, false}, 2, 1.12},  // the exponent only when chosen
                 {{0.99, 0.05, 0.01, 0.5, true}, 2, 0.99 * 2.718281828459045},
                 {{1, 0, 1, 0, false}, 1e200, Failed},  // overflow
                 {{1, 0, 0, 0.5, true}, Failed, Failed}};
    for (const auto& c : cases) EXPECT_NEAR(SigmaOfK(c.c, c.K), c.sigma, 1e-12) << c.K;
}

TEST(SigmaModel, EnforceLimitsStopsAtTheFirstFailure) {
    test::TempDir dir;
    const std::string file = dir.File("t.csv");
    test::WriteFileBytes(file, "400,1\n500,2\n");
    const std::string b =
        "Please enter either a valid file name or a numeric value between 0.005 and 0.04 for the "
        "backscattering ratio.";
    const std::string a =
        "Please enter either a valid file name or a numeric value between 0 and 1 for the "
        "specific absorption of phytoplankton.";
    const std::string c =
        "Please enter a numeric value between 0 and 1000000 for the chlorophyll concentration.";
    using enum SigmaBox;
    struct Case {
        SigmaBoxTexts texts;
        std::string message;  // "" when accepted
        SigmaBox box;
    } cases[] = {{{"0.015", file, "0.1"}, "", C},
                 {{"0.005", "0", "0"}, "", C},
                 {{"0.04", "1", " 7 "}, "", C},
                 {{"0.004", "0.5", "0.1"}, b, bTilde},
                 {{dir.File("no.csv"), "0.5", "0.1"}, b, bTilde},
                 {{"0.015", "1.5", "0.1"}, a, aStar},
                 {{"0.015", dir.path(), "0.1"}, a, aStar},  // a folder is no file
                 {{"0.015", "0.5", "-1"}, c, C},
                 {{"0.015", "0.5", file}, c, C},    // C takes no file
                 {{"abc", "2", "-1"}, b, bTilde}};  // checked in order
    for (const auto& k : cases) {
        const auto failure = EnforceLimits(k.texts);
        EXPECT_EQ(failure ? failure->message : "", k.message) << k.texts.bTilde << "|" << k.texts.C;
        if (failure) {
            EXPECT_EQ(failure->box, k.box) << k.message;
        }
    }
}

TEST(SigmaParams, NumberOrFileSettingsAndTheirSavedTexts) {
    test::TempDir dir;
    const std::string mine = dir.File("mine.csv"), shipped = dir.File("shipped.csv");
    const std::string missing = dir.File("missing.csv");
    test::WriteFileBytes(mine, "400,1\n");
    test::WriteFileBytes(shipped, "400,1\n");
    const std::tuple<std::string, std::string, bool, double, std::string> cases[] = {
        {"0.5", shipped, true, 0.5, ""},
        {" .25", "", true, 0.25, ""},
        {mine, shipped, true, Failed, mine},
        {missing, shipped, true, Failed, shipped},
        {missing, "", false, Failed, missing}};
    for (const auto& [text, fallback, found, aStar, aStarFile] : cases) {
        SigmaParams p;
        EXPECT_EQ(SetAStarFromText(p, text, fallback), found) << text;
        EXPECT_EQ(p.aStar, aStar) << text;
        EXPECT_EQ(p.aStarFile, aStarFile) << text;
    }
    SigmaParams p;
    EXPECT_FALSE(SetBTildeFromText(p, missing));
    EXPECT_EQ(p.bTilde, 0.015);  // a missing file falls back on the usual ratio
    EXPECT_EQ(BTildeText(p), missing);
    p.aStarFile = p.bTildeFile = "";
    p.aStar = p.bTilde = 1.0 / 3;
    EXPECT_EQ(BTildeText(p), "0.333333333333333");  // fifteen significant digits
    EXPECT_EQ(AStarText(p), "0.333333333333333");
}

}  // namespace
}  // namespace tidewell
