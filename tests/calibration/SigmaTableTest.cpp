#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <tuple>
#include <utility>

#include "calibration/SigmaParams.h"
#include "calibration/SigmaTable.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

constexpr double kInf = INFINITY;

TEST(SigmaTable, LookupWalksAndInterpolates) {
    const SigmaTable t = ParseSigmaTable("400,0.5\r\n410,0.7\r\n420,0.9\r\n440,1.0\r\n");
    const std::tuple<double, double> cases[] = {{380, 0.5}, {400, 0.5}, {405, 0.6}, {430, 0.95},
                                                {440, 1.0}, {1000, 1.0}};  // ends: the end values
    for (const auto& [lambda, value] : cases)
        EXPECT_NEAR(TableLookup(t, lambda), value, 1e-12) << lambda;
}

TEST(SigmaTable, ParsingStopsAtTheFirstLineWithoutTwoNumbers) {
    const std::tuple<const char*, size_t, double> cases[] = {
        {"400,1\n420,3\n440,5\n", 3, 4},
        {"400,1\n420,3\nbad\n440,5\n", 2, 3},        // rows after a bad line are never read
        {" 400 , 1 \n\t420,\t3,\n440,5,,\n", 3, 4},  // blanks and trailing commas
        {"\xEF\xBB\xBF"
         "400,1\n420,3",
         2, 3},                                 // byte-order mark, no last line end
        {"nm,astar\n400,1\n420,3\n", 0, kInf},  // no header line
        {"400,1\n", 1, kInf},                   // one line gives no value
        {"400,1e-1\n420,3E-1\n", 2, 0.3},
        {"", 0, kInf}};
    for (const auto& [text, rows, at430] : cases) {
        const SigmaTable t = ParseSigmaTable(text);
        EXPECT_EQ(t.rows.size(), rows) << text;
        EXPECT_EQ(TableLookup(t, 430), at430) << text;
    }
}

TEST(SigmaTable, FilesAreReadFromDisk) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("b.csv"), "500,0.01\r\n600,0.02\r\n");
    EXPECT_NEAR(TableLookup(dir.File("b.csv"), 550), 0.015, 1e-12);
    EXPECT_EQ(TableLookup(dir.File("none.csv"), 550), kInf);
    EXPECT_EQ(TableLookup(dir.path(), 550), kInf);  // a folder is no table
}

TEST(SigmaTable, GarbageNeverCrashesAndGivesFiniteRows) {
    std::mt19937 rng(20240611);
    const char alphabet[] = "0123456789.,-+eE \t\r\nx";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int i = static_cast<int>(rng() % 80); i > 0; --i)
            text += rng() % 8 ? alphabet[rng() % (sizeof alphabet - 1)]
                              : static_cast<char>(rng() % 256);
        const SigmaTable t = ParseSigmaTable(text);
        for (const auto& [x, y] : t.rows) EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
        if (!t.Usable()) {
            EXPECT_EQ(TableLookup(t, rng() % 1000), kInf);
        }
    }
}

TEST(SigmaTable, ShippedTablesAreFoundBesideTheProgramThenInShare) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.File("bin"));
    std::filesystem::create_directories(dir.File("share/tidewell"));
    EXPECT_EQ(FindShippedTable("aStar.csv", dir.File("bin")), "");
    test::WriteFileBytes(dir.File("share/tidewell/aStar.csv"), "400,1\n");
    EXPECT_EQ(FindShippedTable("aStar.csv", dir.File("bin/")),
              dir.File("share/tidewell/aStar.csv"));
    test::WriteFileBytes(dir.File("bin/aStar.csv"), "400,1\n");
    EXPECT_EQ(FindShippedTable("aStar.csv", dir.File("bin")), dir.File("bin/aStar.csv"));
}

TEST(SigmaTable, ShippedAStarTableIsANormalisedSpectrum) {
    const std::string path = FindShippedTable(kAStarTableName, TIDEWELL_BIN_DIR);
    ASSERT_FALSE(path.empty());
    const std::string bytes = test::ReadFileBytes(path);
    const SigmaTable t = ParseSigmaTable(bytes);
    // Every line is a row: a bad line would silently cut the spectrum short.
    ASSERT_EQ(t.rows.size(), 31u);
    EXPECT_EQ(static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')), 31u);
    for (size_t i = 0; i < t.rows.size(); ++i) {
        EXPECT_EQ(t.rows[i].first, 400 + 10.0 * i);
        EXPECT_TRUE(t.rows[i].second > 0 && t.rows[i].second <= 1) << t.rows[i].first;
    }
    EXPECT_EQ(TableLookup(t, 440), 1.0);  // normalised at the blue peak
    // the rise to the blue peak: values of the 10 nm tabulation, not those 5 nm earlier
    for (auto [nm, aStar] : {std::pair{410, 0.828}, {420, 0.913}, {430, 0.973}})
        EXPECT_EQ(TableLookup(t, nm), aStar) << nm;
    EXPECT_GT(TableLookup(t, 675), TableLookup(t, 600));  // and the red peak is there
}

}  // namespace
}  // namespace tidewell
