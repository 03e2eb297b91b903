#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "calibration/CalibrationData.h"
#include "stream/DateValue.h"

namespace tidewell {
namespace {

// What the golden files cannot show: a modification time, and numbers with more digits than six,
// so that "6 sig." and the plain text tell apart.
TEST(CalFileLayouts, EachLayoutWritesItsOwnNumberForms) {
    const std::tuple<int, std::vector<std::string>, std::vector<std::string>> cases[] = {
        {0,
         {"MaxDepth=1234.567\r\n", "ModificationTime=02/03/11 04:05:06\r\n",
          "DepthCal=1234.57\r\nDepthOff=.123457\r\nCalTemp=21.4568\r\n"},
         {}},
        {6, {"MaxDepth=1234.567\r\n", "kp1=.1234567\r\n"}, {"ModificationTime", "DepthCal"}},
        {3,
         {"ModificationTime=02/03/11 04:05:06\r\n", "DepthCal=1234.57\r\nDepthOff=.123457\r\n",
          "CalTemp=21.4568\r\n", "TrAir=0\r\nCalTemp=21.45678\r\n"},
         {"kp1"}},
    };
    for (const auto& [type, present, absent] : cases) {
        CalibrationDataClass c;
        c.DeviceType = type;
        c.ModificationTime = DateTimeValue({2011, 2, 3, 4, 5, 6});
        c.MaxDepth = c.DepthCal = 1234.567f;
        c.DepthOff = c.kp1 = 0.1234567f;
        c.CalTemp = 21.45678f;
        c.SetKCalTemp(0, 21.45678f);
        const std::string text = c.CalFileText();
        for (const std::string& s : present)
            EXPECT_NE(text.find(s), std::string::npos) << type << ": " << s;
        for (const std::string& s : absent)
            EXPECT_EQ(text.find(s), std::string::npos) << type << ": " << s;
    }
}

}  // namespace
}  // namespace tidewell
