#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "calibration/SigmaModel.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using test::ScriptedPrompter;
constexpr double kInf = INFINITY;

SigmaParams NumericParams() {
    SigmaParams p;
    p.aStar = 0.5;
    p.aStarFile.clear();
    return p;
}

TEST(SigmaModel, AbsorptionEstimateKnownValues) {
    struct Case {
        double C;
        int lambda;
        bool includeWater;
        double a;
    } cases[] = {
        // 0.06 x 0.5 x 1 = 0.03; x (1 + 0.2 e^0) = 0.036; + 0.01 e^(-0.44) = 0.0064403642
        {1, 440, false, 0.0424403642},
        // with water: (0.03 + 0.00635) x 1.2 + 0.0064403642
        {1, 440, true, 0.0500603641},
        // C = 0.1: 0.06 x 0.5 x 0.1^0.65 = 0.0067161630; x (1 + 0.2 e^0.56) = x 1.3501346; + 0.01
        {0.1, 400, false, 0.0190677239},
    };
    for (const auto& c : cases) {
        SigmaParams p = NumericParams();
        p.C = c.C;
        ScriptedPrompter prompter;
        EXPECT_NEAR(EstimateA(p, {}, c.lambda, c.includeWater, prompter), c.a, 1e-9);
        EXPECT_TRUE(prompter.shown.empty());
    }
}

TEST(SigmaModel, EstimatesComeFromTablesWhenMarked) {
    SigmaParams p;
    p.aStar = Failed;
    p.aStarFile = "a.csv";
    p.bTilde = Failed;
    p.bTildeFile = "b.csv";
    p.C = 1;
    SigmaTables tables;
    tables.aStar = ParseSigmaTable("430,0.4\n440,0.5\n450,0.6\n");
    tables.bTilde = ParseSigmaTable("400,0.01\n500,0.02\n");
    ScriptedPrompter prompter;
    EXPECT_NEAR(EstimateA(p, tables, 440, false, prompter), 0.0424403642, 1e-9);
    EXPECT_NEAR(EstimateBbTilde(p, tables, 470, prompter), 0.017, 1e-12);
    EXPECT_TRUE(prompter.shown.empty());
    // A plain bTilde ignores any table.
    p.bTilde = 0.02;
    EXPECT_EQ(EstimateBbTilde(p, tables, 470, prompter), 0.02);
}

TEST(SigmaModel, MissingTableValuesShowTheirMessageOncePerLookup) {
    SigmaParams p;
    p.aStar = Failed;
    p.aStarFile = "/data/aStar.csv";
    p.bTilde = Failed;
    p.bTildeFile = "/data/bb.csv";
    ScriptedPrompter prompter;
    EXPECT_EQ(EstimateA(p, {}, 470, false, prompter), kInf);
    EXPECT_EQ(EstimateBbTilde(p, {}, 532, prompter), kInf);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0],
              "A value needed for adjustment of 470 nm backscattering values could not be "
              "loaded from /data/aStar.csv.  See 'Sigma Parameters' under the File menu to "
              "select a different file.");
    EXPECT_EQ(prompter.shown[1],
              "A value needed for sigma-correction of 532 nm backscattering values could not be "
              "loaded from /data/bb.csv.  See 'Sigma Parameters' under the File menu to select a "
              "different file.");
}

TEST(SigmaModel, TablesAreLoadedOnlyForMarkedParameters) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("a.csv"), "400,1\n500,2\n");
    SigmaParams p;
    p.aStarFile = dir.File("a.csv");
    p.bTildeFile = dir.File("a.csv");  // named but not marked: bTilde is the number 0.015
    const SigmaTables t = LoadSigmaTables(p);
    EXPECT_EQ(t.aStar.rows.size(), 2u);
    EXPECT_TRUE(t.bTilde.rows.empty());
}

TEST(SigmaModel, PureWaterTermsOfBbFromBeta) {
    PureWaterParams none;
    ChoosePureWaterModel(none, PureWaterModel::NoPure);
    PureWaterParams pure = none;
    pure.beta0 = 1e-4f;
    pure.bb0 = 5e-4f;
    struct Case {
        const PureWaterParams& prefs;
        bool useCalFileChi;
        double beta;
        double lambda;
        double chiCal;
        double bb;
    } cases[] = {
        {none, true, 1, 525, 6.9, 6.9},         // a full factor in the calibration is used as is
        {none, true, 1, 525, 1.1, 6.91152},     // 2 pi x 1.1
        {none, true, 1, 525, 3, 3},             // 3 counts as a full factor
        {none, false, 1, 525, 6.9, 6.7858563},  // the preferences' chi 1.08 (single)
        // (0.002 - 0.0001) x 6.91152 + 0.0005
        {pure, true, 0.002, 525, 1.1, 0.013631888},
        {pure, true, 0.002, 0, 1.1, 0.002 * 6.91152},  // no pure-water terms at lambda 0
    };
    for (const auto& c : cases) {
        PureWaterParams prefs = c.prefs;
        prefs.useCalFileChi = c.useCalFileChi;
        EXPECT_NEAR(BbFromBeta(prefs, c.beta, c.lambda, c.chiCal), c.bb, 1e-6 * std::abs(c.bb))
            << c.chiCal;
    }
}

TEST(SigmaModel, PureBetaFollowsThePowerLaw) {
    PureWaterParams p;
    p.beta0 = 2e-4f;
    p.lambda0 = 500;
    p.gammaLambda = 4;
    EXPECT_NEAR(PureBeta(p, 250), 16 * 2e-4, 1e-10);
    EXPECT_NEAR(PureBeta(p, 500), 2e-4, 1e-10);
    EXPECT_EQ(PureBeta(p, 0), 0);
    // The beta-to-bb conversion takes exactly this beta off.
    p.bb0 = 1e-3f;
    EXPECT_NEAR(BbFromBeta(p, PureBeta(p, 250), 250, 1), 16 * 1e-3, 1e-9);
}

TEST(SigmaModel, PureWaterPointOfTheSigmaNormalisation) {
    // bb_w(525) = 8.03 x 0.000112 = 0.00089936
    EXPECT_NEAR(PureWaterK(525, false), 0.8 * 0.00089936, 1e-9);
    EXPECT_NEAR(PureWaterK(525, true), 0.0417 + 1.6 * 0.00089936, 1e-8);
}

TEST(SigmaModel, SigmaFunction) {
    struct Case {
        SigmaCoefficients c;
        double K;
        double sigma;
    } cases[] = {
        {{}, 5, 1},
        {{0.98, 0.05, 0.01, 0, false}, 2, 1.12},
        {{0.98, 0.05, 0.01, 0.5, false}, 2, 1.12},  // the exponent is ignored unless chosen
        {{0.99, 0.05, 0.01, 0.5, true}, 2, 0.99 * 2.718281828459045},
        {{1, 0, 1, 0, false}, 1e200, Failed},  // overflow
        {{1, 0, 0, 0.5, true}, Failed, Failed},
        {{1, 0, 1, 0, false}, kInf, Failed},
    };
    for (const auto& c : cases) EXPECT_NEAR(SigmaOfK(c.c, c.K), c.sigma, 1e-12) << c.K;
}

TEST(SigmaModel, EnforceLimitsStopsAtTheFirstFailure) {
    test::TempDir dir;
    const std::string file = dir.File("t.csv");
    test::WriteFileBytes(file, "400,1\n500,2\n");
    const std::string bTildeMsg =
        "Please enter either a valid file name or a numeric value between 0.005 and 0.04 for the "
        "backscattering ratio.";
    const std::string aStarMsg =
        "Please enter either a valid file name or a numeric value between 0 and 1 for the "
        "specific absorption of phytoplankton.";
    const std::string cMsg =
        "Please enter a numeric value between 0 and 1000000 for the chlorophyll concentration.";
    struct Case {
        SigmaBoxTexts texts;
        const std::string* message;  // nullptr: accepted
        SigmaBox box;
    } cases[] = {
        {{"0.015", file, "0.1"}, nullptr, {}},
        {{file, "0.5", "1000000"}, nullptr, {}},
        {{"0.005", "0", "0"}, nullptr, {}},
        {{"0.04", "1", " 7 "}, nullptr, {}},
        {{"0.004", "0.5", "0.1"}, &bTildeMsg, SigmaBox::bTilde},
        {{"0.041", "0.5", "0.1"}, &bTildeMsg, SigmaBox::bTilde},
        {{dir.File("no.csv"), "0.5", "0.1"}, &bTildeMsg, SigmaBox::bTilde},
        {{"", "0.5", "0.1"}, &bTildeMsg, SigmaBox::bTilde},
        {{"0.015", "1.5", "0.1"}, &aStarMsg, SigmaBox::aStar},
        {{"0.015", "-0.1", "0.1"}, &aStarMsg, SigmaBox::aStar},
        {{"0.015", dir.path(), "0.1"}, &aStarMsg, SigmaBox::aStar},  // a folder is no file
        {{"0.015", "0.5", "-1"}, &cMsg, SigmaBox::C},
        {{"0.015", "0.5", file}, &cMsg, SigmaBox::C},  // C takes no file
        {{"0.015", "0.5", "1e7"}, &cMsg, SigmaBox::C},
        {{"abc", "2", "-1"}, &bTildeMsg, SigmaBox::bTilde},  // checked in order
        {{"0.015", "2", "-1"}, &aStarMsg, SigmaBox::aStar},
    };
    for (const auto& c : cases) {
        const auto failure = EnforceLimits(c.texts);
        const std::string label = c.texts.bTilde + "|" + c.texts.aStar + "|" + c.texts.C;
        if (!c.message) {
            EXPECT_FALSE(failure.has_value()) << label;
            continue;
        }
        ASSERT_TRUE(failure.has_value()) << label;
        EXPECT_EQ(failure->message, *c.message) << label;
        EXPECT_EQ(failure->box, c.box) << label;
    }
}

TEST(SigmaParams, NumberOrFileSettings) {
    test::TempDir dir;
    const std::string mine = dir.File("mine.csv");
    const std::string shipped = dir.File("shipped.csv");
    test::WriteFileBytes(mine, "400,1\n");
    test::WriteFileBytes(shipped, "400,1\n");
    const std::string missing = dir.File("missing.csv");
    struct Case {
        std::string text;
        std::string fallback;
        bool found;
        double aStar;
        std::string aStarFile;
    } cases[] = {
        {"0.5", shipped, true, 0.5, ""},
        {" .25", "", true, 0.25, ""},
        {mine, shipped, true, Failed, mine},
        {missing, shipped, true, Failed, shipped},
        {missing, "", false, Failed, missing},
        {missing, dir.File("gone.csv"), false, Failed, missing},
    };
    for (const auto& c : cases) {
        SigmaParams p;
        EXPECT_EQ(SetAStarFromText(p, c.text, c.fallback), c.found) << c.text;
        EXPECT_EQ(p.aStar, c.aStar) << c.text;
        EXPECT_EQ(p.aStarFile, c.aStarFile) << c.text;
    }

    SigmaParams p;
    EXPECT_TRUE(SetBTildeFromText(p, "0.02"));
    EXPECT_EQ(p.bTilde, 0.02);
    EXPECT_EQ(p.bTildeFile, "");
    EXPECT_EQ(BTildeText(p), "0.02");
    EXPECT_TRUE(SetBTildeFromText(p, mine));
    EXPECT_EQ(p.bTilde, Failed);
    EXPECT_EQ(BTildeText(p), mine);
    EXPECT_FALSE(SetBTildeFromText(p, missing));
    EXPECT_EQ(p.bTilde, 0.015);
    EXPECT_EQ(p.bTildeFile, missing);
    EXPECT_EQ(BTildeText(p), missing);
}

TEST(SigmaParams, SavedTextsReadBackTheSame) {
    test::TempDir dir;
    const std::string table = dir.File("aStar.csv");
    test::WriteFileBytes(table, "400,1\n");
    for (const std::string& text :
         std::vector<std::string>{"0.5", "0.015", "1E-05", "0.123456789012345", table}) {
        SigmaParams p;
        ASSERT_TRUE(SetAStarFromText(p, text, ""));
        EXPECT_EQ(AStarText(p), text);
        SigmaParams q;
        ASSERT_TRUE(SetAStarFromText(q, AStarText(p), ""));
        EXPECT_EQ(q, p);
    }
    EXPECT_EQ(DefaultSigmaParams("/opt/tw/bin").aStarFile, "/opt/tw/bin/aStar.csv");
    EXPECT_EQ(AStarText(DefaultSigmaParams("/opt/tw/bin")), "/opt/tw/bin/aStar.csv");
}

}  // namespace
}  // namespace tidewell
