#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "stream/Decoder.h"
#include "stream/RecordText.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell {
namespace {

using test::RecordText;

// "1,2,3,..." with `commas` commas.
std::string NumberList(int commas, std::string first = "1") {
    for (int i = 0; i < commas; ++i) first += "," + std::to_string(i + 2);
    return first;
}

std::string DPacketWithGains(std::initializer_list<int> gains, int rawChannel = -1) {
    ChannelPacketFields f;
    int i = 0;
    for (int g : gains) f.gain[i++] = static_cast<uint8_t>(g);
    if (rawChannel >= 0) f.raw[rawChannel] = 100;
    return BuildDPacket(f);
}

TEST(ClassifyLine, PacketsByLetterWithAGoodChecksum) {
    // The hand-worked D packet with "X" in place of "D": 20 more in the sum, 4B + 14 = 5F.
    const std::string x = "*X0000162E00010002FFFF7FFF8000001000A00B0012345670FFFF963C5F";
    const std::tuple<std::string, LineKind> cases[] = {
        // D, H, A, C and I packets are classified in the simulator's tests.
        {BuildTPacket({}), kTPacket},
        {BuildVPacket({}), kVPacket},
        {BuildIPacket({}, PacketChecksum::kIncludingStar), kIPacket},
        {x, kOtherLine},
        {BuildDPacket({}, PacketChecksum::kBad), kOtherLine},
    };
    for (const auto& [line, kind] : cases) EXPECT_EQ(ClassifyLine(line), kind) << line;
}

TEST(ClassifyLine, DecimalLinesByCommaCount) {
    const std::tuple<int, LineKind> cases[] = {
        {5, kSingleDecimalLine},
        {6, kPrefixedSingleDecimalLine},
        {7, kOtherLine},
        {8, kTwoChannelShortLine},
        {11, kSingleDecimalLongLine},
        {12, kSingleDecimalLongLine},
        {13, kPrefixedSingleDecimalLine},
        {15, kTwoChannelLongLine},
        {53, kRatioDecimalLine},
        {54, kPrefixedRatioDecimalLine},
    };
    for (const auto& [commas, kind] : cases) {
        // Signs and points in front of the first digit still make a numeric line; text in front
        // makes any of them kind 0, except 54 commas.
        for (const char* first : {"1", "-.5", "+1"})
            EXPECT_EQ(ClassifyLine(NumberList(commas, first)), kind) << first << commas;
        for (const char* first : {"x1", " 1"})
            EXPECT_EQ(ClassifyLine(NumberList(commas, first)),
                      commas == 54 ? kPrefixedRatioDecimalLine : kOtherLine)
                << first << commas;
    }
    EXPECT_EQ(ClassifyLine(""), kOtherLine);
    EXPECT_EQ(ClassifyLine("-.,,,,,"), kOtherLine);
    EXPECT_EQ(ClassifyLine(std::string(54, ',')), kPrefixedRatioDecimalLine);
    // The comma count is only consulted after the checksum has failed.
    EXPECT_EQ(ClassifyLine("*D" + std::string(54, ',')), kPrefixedRatioDecimalLine);
}

TEST(DecodeLine, KeepsFieldsTheLineDoesNotCarry) {
    SampleRecord r;
    r.prefixValue = 3;
    r.signal[2] = 44;
    ASSERT_TRUE(DecodeLine(BuildDPacket({}), 2, r));
    EXPECT_EQ(r.instrumentType, 2);
    EXPECT_EQ(r.prefixValue, 3);
    EXPECT_EQ(r.signal[2], 44);
    // A failed checksum decodes nothing but the caller's type.
    ChannelPacketFields f;
    f.time = 99;
    ASSERT_FALSE(DecodeLine(BuildDPacket(f, PacketChecksum::kBad), 1, r));
    EXPECT_EQ(r.time, 0);
    EXPECT_EQ(r.instrumentType, 1);
    // A C packet names its own model.
    ASSERT_TRUE(DecodeLine(BuildCPacket({}), 0, r));
    EXPECT_EQ(r.instrumentType, 4);
}

// Field k of a long single-channel line and what it sets.
const std::string kSingleFields[12] = {"-1.25", "2.5", "3", "-4.5", "5.5",  "21.25",
                                       "12.1",  ".75", "9", "10",   "-2.5", "1E3"};
void (*const kSingleFieldSets[12])(SampleRecord&) = {
    [](SampleRecord& r) { r.time = -2, r.subSecond = 75; },  // -1.25 = -2 + .75
    [](SampleRecord& r) {
        r.normalized[0] = 2.5, r.signal[0] = 2, r.reference[0] = 1;  // halves to even
    },
    [](SampleRecord& r) { r.gain[0] = 3; },
    [](SampleRecord& r) { r.optionCounts = -4; },
    [](SampleRecord& r) { r.depthCounts = 5.5; },
    [](SampleRecord& r) { r.temperature = 21.25; },
    [](SampleRecord& r) { r.voltage = 12.1f; },
    [](SampleRecord& r) { r.infoLevel = .75; },
    [](SampleRecord& r) { r.channelCode[0] = 9; },
    [](SampleRecord& r) { r.infoCode = 10; },
    [](SampleRecord& r) { r.infoA = -2.5; },
    [](SampleRecord& r) { r.infoB = 1000; },
};

TEST(DecimalLines, SingleChannelStopsAtTheFirstMissingField) {
    std::string line;
    for (int fields = 1; fields <= 12; ++fields) {
        line += (fields > 1 ? "," : "") + kSingleFields[fields - 1];
        SampleRecord got, want;
        DecodeDecimalSample(line, got);
        for (int k = 0; k < fields; ++k) kSingleFieldSets[k](want);
        EXPECT_EQ(RecordText(got), RecordText(want)) << line;
    }
    SampleRecord r;
    DecodeDecimalSample("1234.56", r);
    EXPECT_EQ(r.time, 1234);
    EXPECT_EQ(r.subSecond, 56);
    DecodeDecimalSample("7,3.5,x", r);  // a field without a number reads 0
    EXPECT_EQ(r.signal[0], 4);
    EXPECT_EQ(r.gain[0], 0);
}

TEST(DecimalLines, PrefixedSingleChannelLine) {
    SampleRecord r;
    ASSERT_TRUE(DecodeLine("7.5,1234.56,2.5,3,-4,5.5,21.25", 0, r));
    EXPECT_EQ(r.prefixValue, 750);
    EXPECT_EQ(r.time, 1234);
    EXPECT_EQ(r.subSecond, 56);
}

RatioDecimalFields SampleRatioLine() {
    RatioDecimalFields f;
    f.centiseconds = 4320000.5;
    for (int i = 0; i < 8; ++i) {
        f.channel[i] = {30.0 + i, 10, 50, 10, 99};
        f.gain[i] = i;
    }
    f.temperatureCode = 150;
    f.depthCounts = 1000;
    f.voltageCode = 120;
    f.voltage2Code = 125;
    return f;
}

TEST(DecimalLines, EightChannelLineWithRatios) {
    const std::string line = BuildRatioDecimalLine(SampleRatioLine());
    ASSERT_EQ(ClassifyLine(line), kRatioDecimalLine);
    SampleRecord r;
    r.time = 5, r.raw[3] = 7, r.raw[8] = 7;  // slot 8 is no channel of these lines
    ASSERT_TRUE(DecodeLine(line, 0, r));
    EXPECT_EQ(r.centiseconds, 4320000);  // halves to even
    EXPECT_NEAR(r.dayFraction, 0.5 + 0.5 / 8640000, 1e-15);
    EXPECT_EQ(r.time, 0);
    EXPECT_EQ(r.raw[3], 0);
    EXPECT_EQ(r.raw[8], 7);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(r.signal[i], 30 + i);
        EXPECT_EQ(r.referenceOffset[i], 10);
        EXPECT_EQ(r.normalized[i], static_cast<float>((20.0 + i) / 40)) << i;
        EXPECT_EQ(r.gain[i], i);
    }
    EXPECT_EQ(r.temperature, 20);
    EXPECT_EQ(r.depthCounts, 1000);
    EXPECT_EQ(r.voltage, 12.5);  // the larger of the two
    EXPECT_EQ(r.voltage2, 12.5);

    RatioDecimalFields f = SampleRatioLine();
    f.voltageCode = 130;
    DecodeLine(BuildRatioDecimalLine(f), 0, r);
    EXPECT_EQ(r.voltage, 13);

    // Cut after field 6 (channel 1's signal): what follows keeps its value.
    SampleRecord cut;
    cut.signalOffset[1] = -7;
    DecodeRatioDecimal("100,1,2,3,4,5", cut);
    EXPECT_EQ(cut.signal[1], 5);
    EXPECT_EQ(cut.signalOffset[1], -7);
    EXPECT_EQ(cut.reference[0], 3);
}

TEST(DecimalLines, PrefixedEightChannelLine) {
    const std::string inner = BuildRatioDecimalLine(SampleRatioLine());
    SampleRecord r;
    ASSERT_TRUE(DecodeLine("depth 1.5," + inner, 0, r));
    EXPECT_EQ(r.prefixValue, 150);
    EXPECT_EQ(r.normalized[0], 0.5);
    EXPECT_EQ(r.voltage, 12.5);
    // Whatever follows the first comma, the line counts as a sample.
    SampleRecord other;
    ASSERT_TRUE(DecodeLine(std::string(54, ','), 0, other));
    EXPECT_EQ(RecordText(other), RecordText(SampleRecord{}));
}

TEST(DecimalLines, TwoChannelLines) {
    const std::string shortLine = "1234.50,100.4,200.5,300,400,55.5,2150,125,-250";
    SampleRecord r;
    r.subSecond = 9;
    ASSERT_TRUE(DecodeLine(shortLine, 0, r));
    EXPECT_EQ(r.time, 1234.5);
    EXPECT_EQ(r.subSecond, 0);
    EXPECT_EQ(r.signal[0], 100);
    EXPECT_EQ(r.reference[1], 400);
    EXPECT_EQ(r.depthCounts, 55.5);
    EXPECT_EQ(r.temperature, 21.5);
    EXPECT_EQ(r.infoA, 1.25);
    EXPECT_EQ(r.infoB, -2.5);
    EXPECT_EQ(r.voltage, 0);

    ASSERT_TRUE(DecodeLine(shortLine + ",1250,7,0,0,0,0,0", 0, r));
    EXPECT_EQ(r.voltage, 12.5);
    EXPECT_EQ(r.infoCode, 7);

    // The end of the time field is searched after the line's first point.
    SampleRecord q;
    ASSERT_TRUE(DecodeLine("12,3.5,4,5,6,7,800,9,10", 0, q));
    EXPECT_EQ(q.time, 12);
    EXPECT_EQ(q.signal[0], 4);
    EXPECT_FLOAT_EQ(q.temperature, 0.09f);
    SampleRecord cut;  // a line cut after field 8 sets what it has
    DecodeTwoChannelDecimal("1,2,3,4,5,6,700,800", cut);
    EXPECT_EQ(cut.infoA, 8);
}

TEST(GuessInstrumentType, ByKindOfLine) {
    // The simulator's lines of every model are guessed in its own tests.
    const std::tuple<std::string, int> cases[] = {
        {BuildIPacket({}), 5},
        {NumberList(8, "1.5"), 6},
        {BuildHPacket({}), 7},
        {NumberList(6), 7},
        {"S>", 7},
        {BuildDPacket({}, PacketChecksum::kBad), 7},
    };
    for (const auto& [line, type] : cases) EXPECT_EQ(GuessInstrumentType(line), type) << line;
}

TEST(GuessInstrumentType, DPacketsByGainsThenCounts) {
    const std::tuple<std::string, int> cases[] = {
        {DPacketWithGains({1, 1, 1, 1, 1, 1, 0, 0}), 0},
        {DPacketWithGains({1, 1, 1, 1, 0, 0, 0, 0}), 1},  // gains 4-7 zero
        {DPacketWithGains({1, 1, 1, 0, 0, 0, 0, 0}), 2},  // gains 3-7 zero
        {DPacketWithGains({0, 0, 0, 0, 0, 0, 0, 1}), 0},
        // Gains 2-7 zero: the highest of channels 5 down to 0 with counts tells.
        {DPacketWithGains({1, 1}, 5), 0},
        {DPacketWithGains({1, 1}, 4), 7},
        {DPacketWithGains({1, 1}, 3), 1},
        {DPacketWithGains({1, 1}, 2), 2},
        {DPacketWithGains({1, 1}, 7), 7},
    };
    for (const auto& [line, type] : cases) EXPECT_EQ(GuessInstrumentType(line), type) << line;
}

TEST(GuessInstrumentType, TPacketsByFixedPositions) {
    auto t = [](int16_t raw0, int16_t raw1, int16_t raw2, std::initializer_list<int> gains) {
        ChannelPacketFields f;
        f.raw[0] = raw0, f.raw[1] = raw1, f.raw[2] = raw2;
        int i = 0;
        for (int g : gains) f.gain[i++] = static_cast<uint8_t>(g);
        return BuildTPacket(f);
    };
    // Positions 14-21 are the last three digits of raw 0, raw 1 and the first digit of raw 2.
    EXPECT_EQ(GuessInstrumentType(t(0x1000, 0, 0x0FFF, {1, 1, 1, 1, 1, 1, 1, 1})), 2);
    EXPECT_EQ(GuessInstrumentType(t(0x1000, 0, 0, {1, 1, 1, 1, 1, 1, 1, 1})), 7);
    EXPECT_EQ(GuessInstrumentType(t(0, 0, 0x1000, {1, 1, 1, 1, 1, 1, 1, 1})), 0);
    // Otherwise gains 3-5 zero give Vantor-2, gains 4-5 zero Vantor-4.
    EXPECT_EQ(GuessInstrumentType(t(0, 1, 0, {1, 1, 1, 0, 0, 0, 1, 1})), 2);
    EXPECT_EQ(GuessInstrumentType(t(0, 1, 0, {1, 1, 1, 1, 0, 0, 1, 1})), 1);
    EXPECT_EQ(GuessInstrumentType(t(0, 1, 0, {1, 1, 1, 1, 1, 0, 1, 1})), 0);
}

TEST(GuessInstrumentType, ReferenceChannelsOfVAndEightChannelLines) {
    for (int highest = -1; highest < 8; ++highest) {
        const int expected = highest == 2 ? 2 : highest == 3 ? 1 : highest >= 5 ? 0 : 7;
        RatioPacketFields v;
        RatioDecimalFields d;
        for (int i = 0; i <= highest; ++i) v.channel[i].reference = 5, d.channel[i].reference = 5;
        EXPECT_EQ(GuessInstrumentType(BuildVPacket(v)), expected) << highest;
        EXPECT_EQ(GuessInstrumentType(BuildRatioDecimalLine(d)), expected) << highest;
        EXPECT_EQ(GuessInstrumentType("x," + BuildRatioDecimalLine(d)), expected) << highest;
    }
}

}  // namespace
}  // namespace tidewell
