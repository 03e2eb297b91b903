#include "display/ScreenThinning.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace tidewell {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(ScreenThinning, KeepsFirstExtremesAndLastOfEachRowInOrder) {
    // span 0..10 over 10 pixels: one row per unit of key
    const ScreenSpan span{0, 10, 10};
    const std::tuple<std::vector<double>, std::vector<double>, std::vector<size_t>> cases[] = {
        // one row: first, lowest (index 3), highest (index 1), last
        {{0.1, 0.2, 0.3, 0.4, 0.5, 0.6}, {5, 9, 6, 1, 7, 4}, {0, 1, 3, 5}},
        // the extremes at the ends of the run
        {{0.1, 0.2, 0.3, 0.4}, {1, 5, 5, 9}, {0, 3}},
        // a new row starts a new run, and coming back to a row does too (down, then up)
        {{0.5, 1.5, 1.6, 1.7, 0.5}, {1, 2, 8, 3, 4}, {0, 1, 2, 3, 4}},
        // gaps break the line and are kept once
        {{0.1, 0.2, NaN, NaN, 0.3, 0.4}, {1, 2, 3, 4, 5, 6}, {0, 1, 2, 4, 5}},
        {{0.1, 0.2, 0.3}, {1, NaN, 3}, {0, 1, 2}},
        // outside the span: one run below and one above
        {{-5, -4, -3, -2, 5.5, 20, 30, 40}, {1, 9, 2, 3, 0, 4, 5, 6}, {0, 1, 3, 4, 5, 7}},
    };
    for (const auto& [keys, values, expected] : cases) {
        std::vector<size_t> kept;
        ThinForScreen(keys, values, span, kept);
        EXPECT_EQ(kept, expected) << testing::PrintToString(keys);
    }
}

TEST(ScreenThinning, ACastOfAMillionPointsFitsTheRows) {
    // down to 100 m and up again, with noise in the values
    const size_t n = 1000000;
    std::vector<double> keys(n), values(n);
    for (size_t i = 0; i < n; ++i) {
        double f = static_cast<double>(i) / n;
        keys[i] = f < 0.5 ? 200 * f : 200 * (1 - f);
        values[i] = std::sin(static_cast<double>(i) * 0.37);
    }
    std::vector<size_t> kept;
    ThinForScreen(keys, values, {0, 100, 500}, kept);
    // two casts over 500 rows, at most four points a row each
    EXPECT_LE(kept.size(), 2 * 4 * 501u);
    EXPECT_GE(kept.size(), 2 * 500u);
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
    EXPECT_EQ(kept.front(), 0u);
    EXPECT_EQ(kept.back(), n - 1);
}

}  // namespace
}  // namespace tidewell
