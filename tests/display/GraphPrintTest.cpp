#include "display/GraphPrint.h"

#include <gtest/gtest.h>

#include <tuple>

#include "stream/DateValue.h"

namespace tidewell {
namespace {

TEST(GraphPrint, HeaderLines) {
    const double when = DateTimeValue({2024, 3, 5, 14, 3, 9});
    const std::tuple<PrintHeaderInfo, std::vector<std::string>> cases[] = {
        {{"Cast 3",
          true,
          {"/data/d/Cast3.raw", "/data/Cast3.dat"},
          "/cal/V6-123.cal",
          0,
          "123",
          true,
          when},
         {"Print Cast 3", "File: 'Cast3.raw' / 'Cast3.dat'", "Cal: 'V6-123.cal'", "Vantor-6 123",
          "05 Mar 2024 14:03:09"}},
        {{"My title", false, {"a.dat"}, "", 7, "55", false, when},
         {"My title", "File: 'a.dat'", "55"}},
        {{"", false, {}, "", 7, "", false, 0}, {}},
    };
    for (const auto& [info, lines] : cases) EXPECT_EQ(PrintHeaderLines(info), lines);
}

}  // namespace
}  // namespace tidewell
