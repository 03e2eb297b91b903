#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "calibration/CalibrationData.h"
#include "stream/DateValue.h"

namespace tidewell {
namespace {

// Fields a layout must not write are set here too, so that leaving them out is seen; the
// numbers have more digits than six so that "6 sig." and the plain text tell apart.
void FillEverything(CalibrationDataClass& c) {
    c.Comment = "note";
    c.ModificationTime = DateTimeValue({2011, 2, 3, 4, 5, 6});
    c.CalTime = DateTimeValue({2010, 1, 1, 0, 0, 0});
    c.MaxDepth = 1234.567f;
    c.DepthCal = 1234.567f;
    c.DepthOff = 0.1234567f;
    c.CalTemp = 21.45678f;
    c.SetKCalTemp(0, 21.45678f);
    c.kp1 = 0.1234567f;
    c.SetFlOffset(0, 1, 3);
}

TEST(CalFileLayouts, EachLayoutWritesItsOwnKeysInItsOwnNumberForms) {
    const std::tuple<int, std::vector<std::string>, std::vector<std::string>> cases[] = {
        {0,
         {"[Comment]\r\nnote\r\n[General]", "MaxDepth=1234.567\r\n",
          "ModificationTime=02/03/11 04:05:06\r\n", "CalTime=1262304000 (01/1/10 00:00:00)\r\n",
          "DepthCal=1234.57\r\nDepthOff=.123457\r\nCalTemp=21.4568\r\n\r\n[Channel 1]",
          "NomOffset5=0\r\nFlOffset1=3\r\n"},
         {"[Depth]", "[Scattering]", "kp1="}},
        {2,
         {"DepthCal=1234.57\r\n", "NomOffset5=0\r\n\r\n[Channel 2]"},
         {"FlOffset"}},  // offsets on a Vantor-2, but no fluorescence offsets
        {6,
         {"Config=\r\nMaxDepth=1234.567\r\nCalTime=1262304000 (01/1/10 00:00:00)\r\n\r\n[Depth]",
          "kp1=.1234567\r\n", "TPW=0\r\n\r\n[End]\r\n"},
         {"[Comment]", "ModificationTime", "DepthCal", "DepthOff", "CalTemp", "Offset"}},
        {3,
         {"[Comment]\r\nnote\r\n[General]", "ModificationTime=02/03/11 04:05:06\r\n",
          "CalTime=946771200 (01/01/10 00:00:00)\r\n",
          "DepthCal=1234.57\r\nDepthOff=.123457\r\n\r\n[Scattering]",
          "CalTemp=21.4568\r\nMuRho=0\r\n", "TrAir=0\r\nCalTemp=21.45678\r\nPath=0\r\n",
          "KDepthCoeff1=0\r\n[End]\r\n"},
         {"kp1", "NomOffset", "FlOffset", "[Channel"}},
    };
    for (const auto& [type, present, absent] : cases) {
        CalibrationDataClass cal;
        cal.DeviceType = type;
        FillEverything(cal);
        const std::string text = cal.CalFileText();
        for (const std::string& s : present)
            EXPECT_NE(text.find(s), std::string::npos) << type << ": " << s;
        for (const std::string& s : absent)
            EXPECT_EQ(text.find(s), std::string::npos) << type << ": " << s;
    }
}

TEST(CalFileLayouts, ZeroMaxDepthIsLeftOutExceptOnTheTrevan) {
    EXPECT_EQ(CalibrationDataClass().CalFileText(), "[End]\r\n");  // no known type
    for (int type : {0, 1, 2, 3, 4, 5, 6}) {
        CalibrationDataClass cal;
        cal.DeviceType = type;
        const bool written = cal.CalFileText().find("MaxDepth=0\r\n") != std::string::npos;
        EXPECT_EQ(written, type == 6) << type;
    }
}

}  // namespace
}  // namespace tidewell
