// The single-channel calibration image: the decimal float, byte positions worked by hand, and
// a calibration that goes through the image and comes back.

#include "calibration/BinaryImage.h"

#include <gtest/gtest.h>

#include "calibration/CalFile.h"
#include "stream/DateValue.h"
#include "stream/Models.h"

namespace tidewell {
namespace {

TEST(DecimalFloat, KnownValues) {
    const std::tuple<double, uint16_t> cases[] = {
        {0, 0xF000},        // the most digits: 0 x 10^-12
        {1, 0x63E8},        // 1000 x 10^-3
        {10.02, 0x53EA},    // 1002 x 10^-2
        {1.23e-5, 0xB4CE},  // 1230 x 10^-8
        {4095000, 0x0FFF},  // 4095 x 10^3
        {12345, 0x24D2},    // 1234.5 rounds to the even 1234, x 10^1
    };
    for (const auto& [value, want] : cases) {
        uint16_t code = 0;
        EXPECT_TRUE(EncodeDecimalFloat(value, code)) << value;
        EXPECT_EQ(code, want) << value;
    }
    EXPECT_DOUBLE_EQ(DecodeDecimalFloat(0x24D2), 12340);
    uint16_t code = 0;
    EXPECT_FALSE(EncodeDecimalFloat(-1, code));
    EXPECT_FALSE(EncodeDecimalFloat(5e6, code));
    EXPECT_EQ(code, 0x0FFF);
}

CalibrationDataClass Sample() {
    CalibrationDataClass cal;
    cal.DeviceType = kALumo;
    cal.Serial = "B012F0001";
    cal.Label = "Buoy 7";
    cal.MaxDepth = 200;
    cal.CalTime = kEpoch1980 + 1000.5;  // 86443200 s
    cal.CalTemp = 22.5f;
    cal.DepthCal = 0.01f;
    cal.DepthOff = -0.3f;
    cal.SetName(0, "bb(700)");
    cal.SetBDeltaLambda(0, 20);
    const double gains[5] = {1, 10.5, 110.25, 1157.63, 12155.1};
    for (int g = 1; g <= 5; ++g) cal.SetGain(0, g, gains[g - 1]);
    for (int g = 1; g <= 5; ++g)
        cal.SetDarkOffset(0, g, static_cast<int16_t>(g == 2 ? -4 : g * 100));
    cal.SetMu(0, 0, 1.23e-5);
    cal.SetBeta2bb(0, 1.1);
    cal.SetBTempCoeff(0, -0.0015);
    cal.SetSigmaExp(0, 0.5);
    cal.SetKLambda(0, 532);
    cal.SetKDeltaLambda(0, 10);
    cal.SetTrNought(0, -100);
    cal.SetTrPure(0, -31500);
    cal.SetKDepthCoeff(0, 0, 0.05f);
    cal.SetKDepthCoeff(0, 1, 0.1f);
    cal.SetKDepthThresh(0, 0, 20000);
    return cal;
}

TEST(BinaryImage, BytesAtTheirPositions) {
    std::string image;
    ASSERT_TRUE(BuildBinaryImage(Sample(), image));
    ASSERT_EQ(image.size(), 128u);
    auto at = [&](size_t position) { return static_cast<uint8_t>(image[position - 1]); };
    EXPECT_EQ(at(1), 0xA1);  // a-Lumo, serial 12F
    EXPECT_EQ(at(2), 0x2F);
    EXPECT_EQ(at(3), 10);  // 200 m / 20
    EXPECT_EQ(at(4), 13);  // January 2000
    EXPECT_EQ(image.substr(4, 16), "Buoy 7          ");
    // 86443200 = 0x052704C0
    EXPECT_EQ(at(21), 0xC0);
    EXPECT_EQ(at(22), 0x04);
    EXPECT_EQ(at(23), 0x27);
    EXPECT_EQ(at(24), 0x05);
    EXPECT_EQ(at(25), 0x08);  // 2250 = 0x08CA, high byte first
    EXPECT_EQ(at(26), 0xCA);
    EXPECT_EQ(at(29), 0xE2);  // -30
    EXPECT_EQ(at(30), 0xFF);
    EXPECT_EQ(at(31), 0xE8);  // .05 x 20000 = 1000 = 0x03E8
    EXPECT_EQ(at(32), 0x03);
    EXPECT_EQ(at(35), 0xD0);  // .1 x 20000 = 2000 = 0x07D0
    EXPECT_EQ(at(36), 0x07);
    EXPECT_EQ(at(39), 0xBC);  // 700 | 20 << 10 = 0x52BC
    EXPECT_EQ(at(40), 0x52);
    EXPECT_EQ(at(51), 100);
    EXPECT_EQ(at(52), 0xFC);  // -4
    EXPECT_EQ(at(53), 0x2C);  // 300 = 0x012C
    EXPECT_EQ(at(54), 0x01);
    EXPECT_EQ(at(69), 0x24);  // -1500 = 0xFA24
    EXPECT_EQ(at(70), 0xFA);
    EXPECT_EQ(at(75), 0x9C);  // -100 in 24 bits: 0xFFFF9C
    EXPECT_EQ(at(77), 0xFF);
    EXPECT_EQ(image.substr(80), std::string(48, '\0'));  // nothing after the last field
    EXPECT_EQ(BinaryImageType(image), kALumo);
    EXPECT_EQ(BinaryImageSerial(image), "B012F0001");
    CalibrationDataClass named = Sample();
    named.Serial = "AL-0300";  // not an image serial: the number at its end, no month
    ASSERT_TRUE(BuildBinaryImage(named, image));
    EXPECT_EQ(BinaryImageSerial(image), "B012C9901");
}

TEST(BinaryImage, ACalibrationComesBack) {
    const CalibrationDataClass cal = Sample();
    std::string image;
    ASSERT_TRUE(BuildBinaryImage(cal, image));
    CalibrationDataClass read;
    LoadBinaryImage(image, read);
    EXPECT_EQ(read.DeviceType, kALumo);
    EXPECT_EQ(read.Label, "Buoy 7");  // sixteen bytes: the next one is the time's
    // the names come from the wavelengths
    EXPECT_EQ(read.name(0), "bb(700)");
    EXPECT_EQ(read.name(1), "a(532)");
    EXPECT_EQ(read.name(2), "k(532)");
    // every stored field comes back as it went in: the image read back builds the same image
    std::string again;
    ASSERT_TRUE(BuildBinaryImage(read, again));
    EXPECT_EQ(again, image);
}

TEST(BinaryImage, ValuesThatDoNotFitAreReported) {
    CalibrationDataClass cal = Sample();
    cal.SetBeta2bb(0, -1);  // the decimal float holds no negative numbers
    std::string image;
    EXPECT_FALSE(BuildBinaryImage(cal, image));
    cal = Sample();
    cal.SetTrPure(0, 1 << 24);
    EXPECT_FALSE(BuildBinaryImage(cal, image));
    EXPECT_EQ(image.size(), 128u);
    // a short or garbled image reads without harm
    CalibrationDataClass read;
    LoadBinaryImage("\xC0\x01", read);
    EXPECT_EQ(read.DeviceType, kCLumo);
    LoadBinaryImage("", read);
}

}  // namespace
}  // namespace tidewell
