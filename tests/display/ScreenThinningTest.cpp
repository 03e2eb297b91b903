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

}  // namespace
}  // namespace tidewell
