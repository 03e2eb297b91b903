#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "calibration/SigmaParams.h"
#include "calibration/SigmaTable.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

constexpr double kInf = INFINITY;

TEST(SigmaTable, LookupWalksAndInterpolates) {
    const SigmaTable t = ParseSigmaTable("400,0.5\r\n410,0.7\r\n420,0.9\r\n440,1.0\r\n");
    ASSERT_EQ(t.rows.size(), 4u);
    struct Case {
        double lambda;
        double value;
    } cases[] = {
        {380, 0.5},  // before the first row: its value
        {400, 0.5},  {405, 0.6}, {410, 0.7}, {415, 0.8},
        {430, 0.95}, {440, 1.0}, {441, 1.0},  // after the last row: its value
        {1000, 1.0},
    };
    for (const auto& c : cases) EXPECT_NEAR(TableLookup(t, c.lambda), c.value, 1e-12) << c.lambda;
}

TEST(SigmaTable, ParsingStopsAtTheFirstLineWithoutTwoNumbers) {
    struct Case {
        const char* text;
        size_t rows;
        double at430;  // lookup at 430 nm
    } cases[] = {
        {"400,1\n420,3\n440,5\n", 3, 4},
        {"400,1\n420,3\nbad\n440,5\n", 2, 3},        // the rows after a bad line are never read
        {"400,1\n420,3\n\n440,5\n", 2, 3},           // a blank line ends the table too
        {" 400 , 1 \n\t420,\t3,\n440,5,,\n", 3, 4},  // blanks and trailing commas
        {"\xEF\xBB\xBF"
         "400,1\n420,3\n",
         2, 3},                                 // byte-order mark
        {"400,1\n420,3", 2, 3},                 // no line end on the last line
        {"nm,astar\n400,1\n420,3\n", 0, kInf},  // a header line is not allowed
        {"400,1\n", 1, kInf},                   // one line gives no value
        {"400,1\n420\n", 1, kInf},              // second line holds one number
        {"400;1\n420;3\n", 0, kInf},            // wrong separator
        {"400,1\n420,x3\n", 1, kInf},           //
        {"400,1e-1\n420,3E-1\n", 2, 0.3},       // exponents
        {"", 0, kInf},
    };
    for (const auto& c : cases) {
        const SigmaTable t = ParseSigmaTable(c.text);
        EXPECT_EQ(t.rows.size(), c.rows) << c.text;
        EXPECT_EQ(TableLookup(t, 430), c.at430) << c.text;
    }
}

TEST(SigmaTable, FirstWavelengthAbove380GivesTheFirstValue) {
    const SigmaTable t = ParseSigmaTable("400,0.687\n410,0.781\n");
    EXPECT_EQ(TableLookup(t, 380), 0.687);
}

TEST(SigmaTable, FilesAreReadFromDisk) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("b.csv"), "500,0.01\r\n600,0.02\r\n");
    EXPECT_NEAR(TableLookup(dir.File("b.csv"), 550), 0.015, 1e-12);
    EXPECT_EQ(TableLookup(dir.File("none.csv"), 550), kInf);
    EXPECT_EQ(TableLookup(dir.path(), 550), kInf);  // a folder is no table
    EXPECT_EQ(LoadSigmaTable(dir.File("b.csv")), ParseSigmaTable("500,0.01\n600,0.02\n"));
    EXPECT_FALSE(LoadSigmaTable("").Usable());
}

TEST(SigmaTable, GarbageNeverCrashesAndLookupsStayInRange) {
    std::mt19937 rng(20240611);
    const char alphabet[] = "0123456789.,-+eE \t\r\nx";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = static_cast<int>(rng() % 80);
        for (int i = 0; i < length; ++i) {
            // Mostly table-like characters, sometimes any byte.
            text += rng() % 8 ? alphabet[rng() % (sizeof alphabet - 1)]
                              : static_cast<char>(rng() % 256);
        }
        const SigmaTable t = ParseSigmaTable(text);
        for (const auto& [x, y] : t.rows) EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
        const double v = TableLookup(t, static_cast<double>(rng() % 1000));
        if (!t.Usable()) {
            EXPECT_EQ(v, kInf);
        }
    }
    // An ascending table gives values between its smallest and largest value.
    for (int round = 0; round < 500; ++round) {
        SigmaTable t;
        double x = 300;
        const int n = 2 + static_cast<int>(rng() % 20);
        for (int i = 0; i < n; ++i) {
            x += 1 + rng() % 30;
            t.rows.push_back({x, (rng() % 10000) / 1000.0});
        }
        double lo = INFINITY, hi = -INFINITY;
        for (const auto& row : t.rows) lo = std::min(lo, row.second), hi = std::max(hi, row.second);
        const double lambda = 250 + rng() % 800 + (rng() % 10) / 10.0;
        const double v = TableLookup(t, lambda);
        EXPECT_GE(v, lo - 1e-12);
        EXPECT_LE(v, hi + 1e-12);
    }
}

TEST(SigmaTable, ShippedTablesAreFoundBesideTheProgramThenInShare) {
    test::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir.File("bin"));
    fs::create_directories(dir.File("share/tidewell"));
    EXPECT_EQ(FindShippedTable("aStar.csv", dir.File("bin")), "");
    test::WriteFileBytes(dir.File("share/tidewell/aStar.csv"), "400,1\n");
    EXPECT_EQ(FindShippedTable("aStar.csv", dir.File("bin")), dir.File("share/tidewell/aStar.csv"));
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
    EXPECT_EQ(t.rows.size(), static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')));
    ASSERT_EQ(t.rows.size(), 31u);
    EXPECT_EQ(t.rows.front().first, 400);
    EXPECT_EQ(t.rows.back().first, 700);
    for (size_t i = 1; i < t.rows.size(); ++i) {
        EXPECT_GT(t.rows[i].first, t.rows[i - 1].first);
        EXPECT_GT(t.rows[i].second, 0);
        EXPECT_LE(t.rows[i].second, 1);
    }
    EXPECT_EQ(TableLookup(t, 440), 1.0);                  // normalised at the blue peak
    EXPECT_GT(TableLookup(t, 675), TableLookup(t, 600));  // and the red peak is there
}

}  // namespace
}  // namespace tidewell
