#include <gtest/gtest.h>

#include <functional>
#include <string>
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
constexpr const char* kHandA =
    "*A00000064"
    "32FFFF7800000FFFF1775E";
// An I packet: "I" 73, "78" 111, "03E8" 224, "05" 101, "0A" 113, "3300" 198, "FFFF" 280:
// 1100 = 4 x 256 + 76, 4C.
constexpr const char* kHandI = "*I7803E8050A3300FFFF4C";

std::string WithChecksum(std::string line, const char* digits) {
    line.replace(line.size() - 2, 2, digits);
    return line;
}

TEST(Checksum, SumAfterTheStarOrIncludingIt) {
    const std::string d = kHandD;
    struct Case {
        std::string line;
        bool ok;
    } cases[] = {
        {d, true},
        {WithChecksum(d, "75"), true},  // some instruments include the "*" in the checksum
        {WithChecksum(d, "4b"), true},
        {WithChecksum(d, "4C"), false},
        {WithChecksum(d, "76"), false},
        {WithChecksum(d, "4G"), false},  // reads as 4
        {kHandA, true},
        {kHandI, true},
        {"", false},
        {"*", false},
        // Nothing to sum and no hexadecimal digit to compare with: both are 0.
        {"*D", true},
        {"*D00", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ChecksumOk(c.line), c.ok) << c.line;
}

TEST(Checksum, BuilderWritesEachStyle) {
    ChannelPacketFields f;
    f.time = 1234;
    const std::string good = BuildDPacket(f);
    const std::string star = BuildDPacket(f, PacketChecksum::kIncludingStar);
    const std::string bad = BuildDPacket(f, PacketChecksum::kBad);
    EXPECT_EQ(good.substr(0, 58), star.substr(0, 58));
    EXPECT_NE(good, star);
    EXPECT_TRUE(ChecksumOk(good));
    EXPECT_TRUE(ChecksumOk(star));
    EXPECT_FALSE(ChecksumOk(bad));
    EXPECT_EQ(ClassifyLine(star), kDPacket);
    EXPECT_EQ(ClassifyLine(bad), kOtherLine);
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
    for (int i = 0; i < 8; ++i)
        body +=
            "000A"
            "0002"
            "0014"
            "0004"
            "0C";
    body +=
        "01234567"
        "FFFF"
        "64"
        "78"
        "79"
        "05";
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

// Each case sets one field of an otherwise zero packet; the decoded record must differ from
// the decoded zero packet in exactly the expected fields, which pins each field's position
// and width.
template <typename Fields>
struct FieldCase {
    std::string name;
    std::function<void(Fields&)> set;
    std::function<void(SampleRecord&)> expect;
};

template <typename Fields, typename Build, typename Decode>
void CheckFieldCases(const std::vector<FieldCase<Fields>>& cases, Build build, Decode decode,
                     const SampleRecord& zeroPacket) {
    for (const auto& c : cases) {
        Fields f;
        c.set(f);
        SampleRecord got;
        decode(build(f), got);
        SampleRecord want = zeroPacket;
        c.expect(want);
        EXPECT_EQ(RecordText(got), RecordText(want)) << c.name << " in " << build(f);
    }
}

TEST(PacketLayout, DAndTFields) {
    using F = ChannelPacketFields;
    std::vector<FieldCase<F>> cases = {
        {"time", [](F& f) { f.time = -1985229329; }, [](SampleRecord& r) { r.time = -1985229329; }},
        {"time max", [](F& f) { f.time = INT32_MAX; }, [](SampleRecord& r) { r.time = INT32_MAX; }},
        {"depth", [](F& f) { f.depthCounts = -1; }, [](SampleRecord& r) { r.depthCounts = -1; }},
        {"depth min", [](F& f) { f.depthCounts = INT16_MIN; },
         [](SampleRecord& r) { r.depthCounts = INT16_MIN; }},
        {"temperature", [](F& f) { f.temperatureCode = 0xFF; },
         [](SampleRecord& r) { r.temperature = 41; }},
        {"temperature fraction", [](F& f) { f.temperatureCode = 7; },
         [](SampleRecord& r) { r.temperature = static_cast<float>(7 / 5.0 - 10); }},
        {"tail", [](F& f) { f.tailCode = 0xFE; }, [](SampleRecord& r) { r.tailCode = 254; }},
    };
    const int16_t rawValues[8] = {-1, INT16_MIN, INT16_MAX, 0x1234, 0x0ABC, 1, 0x7F00, -2};
    for (int i = 0; i < 8; ++i) {
        const int16_t v = rawValues[i];
        const auto g = static_cast<uint8_t>(15 - i);
        cases.push_back({"raw " + std::to_string(i), [=](F& f) { f.raw[i] = v; },
                         [=](SampleRecord& r) { r.raw[i] = v; }});
        cases.push_back({"gain " + std::to_string(i), [=](F& f) { f.gain[i] = g; },
                         [=](SampleRecord& r) { r.gain[i] = g; }});
    }
    SampleRecord zero;
    zero.temperature = -10;
    auto decode = [](const std::string& line, SampleRecord& r) { DecodeChannelPacket(line, r); };
    auto buildD = [](const F& f) {
        std::string p = BuildDPacket(f);
        EXPECT_EQ(p.size(), 60u);
        return p;
    };
    CheckFieldCases(cases, buildD, decode, zero);

    cases.push_back({"hundredths", [](F& f) { f.subSecond = 0xFE; },
                     [](SampleRecord& r) { r.subSecond = 254; }});
    auto buildT = [](const F& f) {
        std::string p = BuildTPacket(f);
        EXPECT_EQ(p.size(), 62u);
        return p;
    };
    CheckFieldCases(cases, buildT, decode, zero);
}

TEST(PacketLayout, VFields) {
    using F = RatioPacketFields;
    std::vector<FieldCase<F>> cases = {
        {"time", [](F& f) { f.time = -2; }, [](SampleRecord& r) { r.time = -2; }},
        {"depth", [](F& f) { f.depthCounts = -1; }, [](SampleRecord& r) { r.depthCounts = -1; }},
        {"temperature", [](F& f) { f.temperature = 0xFF; },
         [](SampleRecord& r) { r.temperature = 255; }},
        {"voltage", [](F& f) { f.voltage = 0xFE; }, [](SampleRecord& r) { r.voltage = 254; }},
        {"voltage2", [](F& f) { f.voltage2 = 0xFD; }, [](SampleRecord& r) { r.voltage2 = 253; }},
        {"aux", [](F& f) { f.auxByte = 0xFC; }, [](SampleRecord& r) { r.auxByte = 252; }},
    };
    for (int i = 0; i < 8; ++i) {
        auto add = [&](const char* what, std::function<void(F&)> set,
                       std::function<void(SampleRecord&)> expect) {
            cases.push_back({what + std::to_string(i), std::move(set), std::move(expect)});
        };
        add(
            "signal ", [=](F& f) { f.channel[i].signal = -1; },
            [=](SampleRecord& r) { r.signal[i] = -1; });
        add(
            "signal offset ", [=](F& f) { f.channel[i].signalOffset = INT16_MIN; },
            [=](SampleRecord& r) { r.signalOffset[i] = INT16_MIN; });
        add(
            "reference ", [=](F& f) { f.channel[i].reference = INT16_MAX; },
            [=](SampleRecord& r) { r.reference[i] = INT16_MAX; });
        add(
            "reference offset ", [=](F& f) { f.channel[i].referenceOffset = -3; },
            [=](SampleRecord& r) { r.referenceOffset[i] = -3; });
        add(
            "code ", [=](F& f) { f.channel[i].channelCode = 0xFF; },
            [=](SampleRecord& r) { r.channelCode[i] = 255; });
        add(
            "gain ", [=](F& f) { f.gain[i] = 15; }, [=](SampleRecord& r) { r.gain[i] = 15; });
    }
    auto build = [](const F& f) {
        std::string p = BuildVPacket(f);
        EXPECT_EQ(p.size(), 176u);
        return p;
    };
    auto decode = [](const std::string& line, SampleRecord& r) { DecodeRatioPacket(line, r); };
    CheckFieldCases(cases, build, decode, SampleRecord{});
}

TEST(PacketLayout, AAndCFields) {
    using F = SinglePacketFields;
    std::vector<FieldCase<F>> cases = {
        {"time", [](F& f) { f.time = INT32_MIN; }, [](SampleRecord& r) { r.time = INT32_MIN; }},
        {"hundredths", [](F& f) { f.subSecond = 99; }, [](SampleRecord& r) { r.subSecond = 99; }},
        {"signal", [](F& f) { f.signal = -1; },
         [](SampleRecord& r) { r.signal[0] = -1, r.normalized[0] = -1; }},
        {"gain", [](F& f) { f.gain = 15; }, [](SampleRecord& r) { r.gain[0] = 15; }},
        {"option min", [](F& f) { f.optionCounts = -8388608; },
         [](SampleRecord& r) { r.optionCounts = -8388608; }},
        {"option max", [](F& f) { f.optionCounts = 8388607; },
         [](SampleRecord& r) { r.optionCounts = 8388607; }},
        {"option -1", [](F& f) { f.optionCounts = -1; },
         [](SampleRecord& r) { r.optionCounts = -1; }},
        {"depth", [](F& f) { f.depthCounts = 65535; },
         [](SampleRecord& r) { r.depthCounts = 65535; }},
        {"depth 8000", [](F& f) { f.depthCounts = 0x8000; },
         [](SampleRecord& r) { r.depthCounts = 32768; }},
        {"temperature", [](F& f) { f.temperatureCode = 0xFFF; },
         [](SampleRecord& r) { r.temperature = 399.5f; }},
    };
    SampleRecord zero;
    zero.temperature = -10;
    auto decode = [](const std::string& line, SampleRecord& r) {
        r.instrumentType = 1;  // replaced by the packet's model
        DecodeSinglePacket(line, r);
    };
    zero.instrumentType = 3;
    CheckFieldCases(
        cases, [](const F& f) { return BuildAPacket(f); }, decode, zero);
    zero.instrumentType = 4;
    CheckFieldCases(
        cases, [](const F& f) { return BuildCPacket(f); }, decode, zero);
    EXPECT_EQ(BuildAPacket({}).size(), 32u);
}

TEST(PacketLayout, IFields) {
    using F = InfoPacketFields;
    const std::vector<FieldCase<F>> cases = {
        {"voltage", [](F& f) { f.voltageCode = 0xFF; }, [](SampleRecord& r) { r.voltage = 25.5f; }},
        {"level", [](F& f) { f.levelCounts = -1; },
         [](SampleRecord& r) { r.infoLevel = static_cast<float>(-0.00382); }},
        {"code", [](F& f) { f.channelCode = 0xFE; },
         [](SampleRecord& r) { r.channelCode[0] = 254; }},
        {"info code", [](F& f) { f.infoCode = 0xFD; }, [](SampleRecord& r) { r.infoCode = 253; }},
        {"a", [](F& f) { f.aCounts = 10000; },
         [](SampleRecord& r) { r.infoA = static_cast<float>(10000 * 0.00382 - 50); }},
        {"b", [](F& f) { f.bCounts = 20000; },
         [](SampleRecord& r) { r.infoB = static_cast<float>(20000 * 0.00382 - 50); }},
    };
    SampleRecord zero;
    zero.infoA = zero.infoB = -50;
    auto decode = [](const std::string& line, SampleRecord& r) { DecodeInfoPacket(line, r); };
    CheckFieldCases(
        cases, [](const F& f) { return BuildIPacket(f); }, decode, zero);
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
    EXPECT_EQ(h.substr(0, 28),
              "*H01020304"
              "0001"
              "FFFF"
              "0000"
              "FF"
              "0002");
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
