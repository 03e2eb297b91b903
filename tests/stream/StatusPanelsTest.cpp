// The Depth, Voltage, Temp. and Elapsed Time panels of the status bars.

#include <gtest/gtest.h>

#include "stream/StatusPanels.h"

namespace tidewell {
namespace {

TEST(StatusPanels, DepthIsTruncatedDownToHundredthsInEitherUnit) {
    EXPECT_EQ(DepthPanelText(10.129f, false), "10.12 m");
    EXPECT_EQ(DepthPanelText(10.0f, true), "32.8 ft");  // 3280.83 hundredths of a foot
    EXPECT_EQ(DepthPanelText(-0.005f, false), "-.01 m");
    EXPECT_EQ(TemperaturePanelText(21.5f), "21.5 C");
}

TEST(StatusPanels, VoltageOnlyWhileTheLastLineIsAtMost100SecondsOld) {
    const double t = 46000.0, second = 1.0 / 86400;
    EXPECT_EQ(VoltagePanelText(12.5f, t, t + 100 * second), " 12.5 V");
    EXPECT_EQ(VoltagePanelText(12.5f, t, t + 101 * second), "---");
    EXPECT_EQ(ElapsedPanelText(t, t + 3725 * second), "1:02:05");
}

}  // namespace
}  // namespace tidewell
