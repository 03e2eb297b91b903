#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "stream/Decoder.h"
#include "stream/RecordText.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell {
namespace {

using test::HeaderText;
using test::RecordText;

// A D packet worked out by hand. Character sums after the "*":
//   "D" 68, time "0000162E" 414, raw "0001" 193 "0002" 194 "FFFF" 280 "7FFF" 265 "8000" 200
//   "0010" 193 "00A0" 209 "0B00" 210, gains "12345670" 412, depth "FFFF" 280, temperature "96"
//   111, tail "3C" 118: 3147 = 12 x 256 + 75, checksum 4B. With the "*" (42): 3189, 75 hex.
constexpr const char* kHandD = "*D0000162E00010002FFFF7FFF8000001000A00B0012345670FFFF963C4B";
// An A packet: "A" 65, time "00000064" 394, hundredths "32" 101, signal "FFFF" 280, gain "7" 55,
// option "800000" 296, depth "FFFF" 280, temperature "177" 159: 1630 = 6 x 256 + 94, 5E.
constexpr const char* kHandA = "*A0000006432FFFF7800000FFFF1775E";
// An I packet: "I" 73, "78" 111, "03E8" 224, "05" 101, "0A" 113, "3300" 198, "FFFF" 280:
// 1100 = 4 x 256 + 76, 4C.
constexpr const char* kHandI = "*I7803E8050A3300FFFF4C";

std::string WithChecksum(std::string line, const char* digits) {
    line.replace(line.size() - 2, 2, digits);
    return line;
}

TEST(Checksum, SumAfterTheStarOrIncludingIt) {
    const std::string d = kHandD;
    const std::pair<std::string, bool> cases[] = {
        {d, true},
        {WithChecksum(d, "75"), true},  // some instruments include the "*" in the checksum
        {WithChecksum(d, "4b"), true},
        {WithChecksum(d, "4C"), false},
        {WithChecksum(d, "4G"), false},  // reads as 4
        {kHandA, true},
        {kHandI, true},
        {"", false},
        {"*", false},
        // Nothing to sum and no hexadecimal digit to compare with: both are 0.
        {"*D", true},
        {"*D00", false},
    };
    for (const auto& [line, ok] : cases) EXPECT_EQ(ChecksumOk(line), ok) << line;
}

TEST(KnownPackets, HandWorkedDPacket) {
    ChannelPacketFields f;
    f.time = 0x162E;
    const int16_t raw[8] = {1, 2, -1, 32767, -32768, 16, 160, 2816};
    for (int i = 0; i < 8; ++i) f.raw[i] = raw[i], f.gain[i] = static_cast<uint8_t>((i + 1) % 8);
    f.depthCounts = -1;
    f.temperatureCode = 0x96;
    f.tailCode = 0x3C;
    EXPECT_EQ(BuildDPacket(f), kHandD);

    SampleRecord r;
    ASSERT_TRUE(DecodeLine(kHandD, 0, r));
    EXPECT_EQ(r.time, 5678);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(r.raw[i], raw[i]) << i;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(r.gain[i], (i + 1) % 8) << i;
    EXPECT_EQ(r.depthCounts, -1);
    EXPECT_EQ(r.temperature, 20);  // 150 / 5 - 10
    EXPECT_EQ(r.tailCode, 60);

    // a T packet is the same with hundredths after the time
    f.subSecond = 0xFE;
    SampleRecord t;
    ASSERT_TRUE(DecodeLine(BuildTPacket(f), 0, t));
    EXPECT_EQ(t.subSecond, 254);
    EXPECT_EQ(t.raw[7], 2816);
    EXPECT_EQ(t.tailCode, 60);
}

TEST(KnownPackets, HandWorkedAAndIPackets) {
    SampleRecord a;
    ASSERT_TRUE(DecodeLine(kHandA, 0, a));
    EXPECT_EQ(a.instrumentType, 3);  // the letter decides, not the caller
    EXPECT_EQ(a.time, 100);
    EXPECT_EQ(a.subSecond, 50);
    EXPECT_EQ(a.signal[0], -1);
    EXPECT_EQ(a.normalized[0], -1);
    EXPECT_EQ(a.gain[0], 7);
    EXPECT_EQ(a.optionCounts, -8388608);
    EXPECT_EQ(a.depthCounts, 65535);  // unsigned for the single-channel models
    EXPECT_EQ(a.temperature, 27.5f);  // 375 / 10 - 10

    SampleRecord i;
    EXPECT_FALSE(DecodeLine(kHandI, 3, i));  // decoded, but not a sample
    EXPECT_FLOAT_EQ(i.voltage, 12.0f);
    EXPECT_FLOAT_EQ(i.infoLevel, 3.82f);
    EXPECT_EQ(i.channelCode[0], 5);
    EXPECT_EQ(i.infoCode, 10);
    EXPECT_FLOAT_EQ(i.infoA, -0.12608f);  // 13056 x 0.00382 - 50
    EXPECT_FLOAT_EQ(i.infoB, -50.00382f);
}

TEST(KnownPackets, VPacketAndItsRatios) {
    // Every channel: signal 10, signal offset 2, reference 20, reference offset 4, code 12.
    std::string body = "*V0001E240";
    for (int i = 0; i < 8; ++i) body += "000A0002001400040C";
    body += "01234567FFFF64787905";  // gains, depth, temperature, voltages, aux byte
    RatioPacketFields f;
    f.time = 123456;
    for (auto& ch : f.channel) ch = {10, 2, 20, 4, 12};
    for (int i = 0; i < 8; ++i) f.gain[i] = static_cast<uint8_t>(i);
    f.depthCounts = -1;
    f.temperature = 100, f.voltage = 120, f.voltage2 = 121, f.auxByte = 5;
    const std::string v = BuildVPacket(f);
    ASSERT_EQ(v.size(), 176u);
    EXPECT_EQ(v.substr(0, 174), body);

    SampleRecord r;
    ASSERT_TRUE(DecodeLine(v, 0, r));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(r.normalized[i], 0.5f) << i;  // (10 - 2) / (20 - 4)
    EXPECT_EQ(r.normalized[8], 0);
    EXPECT_EQ(r.depthCounts, -1);
    EXPECT_EQ(r.temperature, 100);  // unscaled in V packets
    EXPECT_EQ(r.voltage, 120);
    EXPECT_EQ(r.voltage2, 121);
}

TEST(RatioStep, ZeroDenominatorKeepsZero) {
    SampleRecord r;
    r.signal[0] = 30, r.reference[0] = 7, r.referenceOffset[0] = 7;
    r.signal[1] = 30, r.signalOffset[1] = 10, r.reference[1] = 50, r.referenceOffset[1] = 10;
    r.signal[8] = -9, r.reference[8] = 3;
    r.normalized[2] = 99;  // left from an earlier line: recomputed as 0 - 0 = 0
    ApplyChannelRatios(r);
    EXPECT_EQ(r.normalized[0], 0);
    EXPECT_EQ(r.normalized[1], 0.5f);
    EXPECT_EQ(r.normalized[2], 0);
    EXPECT_EQ(r.normalized[8], -3);
}

TEST(PacketLayout, HFields) {
    HeaderPacketFields f;
    f.time = 0x01020304;
    for (int i = 0; i < 8; ++i) {
        f.channel[i][0] = static_cast<int16_t>(i + 1);
        f.channel[i][1] = static_cast<int16_t>(-1 - i);
        f.channel[i][2] = static_cast<int16_t>(0x1000 * i);
    }
    f.channel[0][3] = -1;  // sent as FF
    f.channel[1][3] = 0x7F;
    f.channel[2][3] = 0x80;  // 128 sent as 80: reads back as -128
    f.housekeeping[0] = 0x78, f.housekeeping[1] = 0x82, f.housekeeping[2] = 0xFF;
    f.housekeeping[3] = -1;
    const std::string h = BuildHPacket(f);
    ASSERT_EQ(h.size(), 134u);
    EXPECT_EQ(h.substr(0, 28), "*H010203040001FFFF0000FF0002");
    EXPECT_EQ(ClassifyLine(h), kHPacket);

    HeaderRecord got;
    DecodeHeaderPacket(h, got);
    HeaderRecord want;
    want.time = 0x01020304;
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 3; ++k) want.channel[i][k] = f.channel[i][k];
    want.channel[0][3] = -1, want.channel[1][3] = 127, want.channel[2][3] = -128;
    want.housekeeping[0] = 120, want.housekeeping[1] = 130, want.housekeeping[2] = 255;
    want.housekeeping[3] = -1;
    EXPECT_EQ(HeaderText(got), HeaderText(want));
    EXPECT_DOUBLE_EQ(HeaderSupplyVoltage(h), 13.0);  // the larger of 12.0 and 13.0

    SampleRecord r;
    EXPECT_FALSE(DecodeLine(h, 3, r));  // never a sample, even for single-channel models
}

}  // namespace
}  // namespace tidewell
