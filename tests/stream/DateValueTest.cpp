#include <gtest/gtest.h>

#include <tuple>

#include "stream/DateValue.h"

namespace tidewell {
namespace {

// A time typed by a person is taken only when it exists; otherwise the first wrong part is
// named (instead of rolling over into another day).
TEST(DateValue, OnlyMomentsThatExist) {
    const std::tuple<CalendarTime, const char*> cases[] = {
        {{2024, 2, 29, 23, 59, 59}, ""},  // a leap day
        {{2000, 2, 29, 0, 0, 0}, ""},     // every 400 years a century is a leap year
        {{2026, 2, 30, 12, 0, 0}, "day 30 does not exist in February 2026 (1-28)"},
        {{1900, 2, 29, 12, 0, 0}, "day 29 does not exist in February 1900 (1-28)"},
        {{2026, 9, 31, 0, 0, 0}, "day 31 does not exist in September 2026 (1-30)"},
        {{2026, 1, 0, 0, 0, 0}, "day 0 does not exist in January 2026 (1-31)"},
        {{2099, 99, 99, 99, 99, 99}, "month 99 does not exist (1-12)"},
        {{2026, 12, 31, 24, 0, 0}, "hour 24 does not exist (0-23)"},
        {{2026, 12, 31, 23, 60, 0}, "minute 60 does not exist (0-59)"},
        {{2026, 12, 31, 23, 59, 60}, "second 60 does not exist (0-59)"},
    };
    for (const auto& [t, error] : cases) {
        EXPECT_EQ(CalendarTimeError(t), error) << t.month << "/" << t.day << "/" << t.year;
    }
}

}  // namespace
}  // namespace tidewell
