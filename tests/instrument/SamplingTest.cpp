#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "instrument/Commands.h"
#include "instrument/Sampling.h"
#include "tests/instrument/FakeInstrument.h"

namespace tidewell::test {
namespace {

using Lines = std::vector<std::string>;

TEST(SampleParams, NumberOfAReplyLine) {
    struct Case {
        const char* line;
        double number;
    } cases[] = {
        {"Sample rate: 0.25", 0.25},           {"Burst mode: off", 0},
        {"Burst cycle: -1.5e1", -15},          {"Free 12 ab", 0},  // the rest must be a number
        {"Shutter open/close time: .5 ", 0.5}, {"", 0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(ReplyLineNumber(c.line), c.number) << c.line;
}

// The parsed fields in order: period, start delay, sleep when full, start on power-up, burst
// mode, warmup, length, interval, total duration, hex format, and the shutter's enabled,
// automatic, operating time and counter-clockwise.
std::string Fields(const SamplingParameters& p) {
    std::ostringstream o;
    o << p.period << ' ' << p.startDelay << ' ' << p.sleepWhenMemoryFull << p.startOnPowerUp
      << p.burstMode << ' ' << p.burstWarmup << ' ' << p.burstLength << ' ' << p.burstInterval
      << ' ' << p.totalDuration << ' ' << p.hexadecimalFormat << ' ' << p.shutterEnabled
      << p.shutterAutomatic << ' ' << p.shutterOperateTime << ' ' << p.shutterCounterClockwise;
    return o.str();
}

// Each family's listing, fed line by line: the reply completes exactly at its last line.
TEST(SampleParams, EachFamilysReplyCompletesAtItsLastLine) {
    const Lines vantorLines = {
        "Sample period: 2.5",   "Start delay: 2.5", "Sleep when memory full: 1",
        "Start on power-up: 1", "Burst mode: on",   "Burst warmup time: 4",
        "Burst length: 10",     "Burst cycle: 60",  "Total duration: 12.5"};
    Lines shutterLines = vantorLines;
    for (const char* l :
         {"Shutter enabled: 0", "Automatic open/close: 1", "Shutter open/close time: 2.5",
          "Shutter state: closed", "SHUTTER DIRECTION: CCW"})
        shutterLines.push_back(l);
    const struct {
        int type;
        bool shutter;
        Lines lines;
        const char* fields;
    } cases[] = {
        // 2.5 s rounds to an even 2
        {kVantor6, false, vantorLines, "2.5 2 111 4 10 60 12.5 1 10 0 0"},
        {kVantor2, true, shutterLines, "2.5 2 111 4 10 60 12.5 1 01 2.5 1"},
        {kTrevan2,
         false,
         {"Sample period: .5", "Start delay: 0", "Start on power-up: 0", "Burst mode: off",
          "Burst warmup time: 0", "Burst duration: 20", "Burst cycle: 15"},
         "0.5 0 000 0 20 15 0 1 10 0 0"},
        // a rate of 4; 3.5 s rounds to an even 4
        {kALumo,
         false,
         {"Data format: decimal", "Sample rate: 4", "Start delay: 3.5", "Burst mode: ON",
          "Burst warmup time: 0", "Burst length: 10", "Burst cycle: 60"},
         "0.25 4 001 0 10 60 0 0 10 0 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields);
        for (size_t n = 1; n <= c.lines.size(); ++n) {
            SamplingParameters p;
            const Lines part(c.lines.begin(), c.lines.begin() + static_cast<long>(n));
            EXPECT_EQ(ParseSampleParams(part, c.type, c.shutter, p), n == c.lines.size()) << n;
            if (n == c.lines.size()) {
                EXPECT_EQ(Fields(p), c.fields);
                EXPECT_TRUE(p.complete);
            }
        }
    }
}

TEST(SampleParams, RateZeroAndTheShutterStateLine) {
    SamplingParameters p;
    ParseSampleParams({"Sample rate: 0"}, kCLumo, false, p);
    EXPECT_FLOAT_EQ(p.period, 1);
    // the shutter state marks the set-up complete, but the reply goes on to its direction
    SamplingParameters s;
    EXPECT_FALSE(ParseSampleParams({"Shutter state: open"}, kVantor6, true, s));
    EXPECT_TRUE(s.complete);
}

TEST(SampleParams, FluorescenceModes) {
    SamplingParameters p;
    EXPECT_FALSE(ParseFluorescenceModes({"FL1: 2", "FLX: 1"}, p));
    EXPECT_EQ(p.fluorescenceMode[0], 2);
    EXPECT_TRUE(ParseFluorescenceModes({"FL1: 2", "fl2: 1"}, p));
    EXPECT_EQ(p.fluorescenceMode[1], 1);
    EXPECT_TRUE(ParseFluorescenceModes({"FL1: 0", ">"}, p));  // one channel, then the prompt
    EXPECT_EQ(p.fluorescenceMode[0], 0);
}

TEST(SampleParams, GarbageRepliesNeverBreakTheParse) {
    std::mt19937 random(5);
    const std::string alphabet = "abcdeilmnoprstuwy :.-0123456789/\t\x90";
    for (int i = 0; i < 2000; ++i) {
        Lines lines(random() % 6);
        for (std::string& l : lines) {
            l.resize(random() % 30);
            for (char& ch : l) ch = alphabet[random() % alphabet.size()];
        }
        SamplingParameters p;
        const bool complete = ParseSampleParams(lines, static_cast<int>(random() % 8), false, p);
        EXPECT_TRUE(!complete || p.complete);
        ParseFluorescenceModes(lines, p);
    }
}

CalibrationDataClass CalibrationOf(int type) {
    CalibrationDataClass cal;
    cal.DeviceType = type;
    return cal;
}

TEST(SampleParams, ApplyCommandsPerFamily) {
    const SamplingParameters current{.burstInterval = 60};
    const SamplingParameters shorter{
        .period = 0.5f, .startDelay = 10, .burstMode = true, .burstLength = 5, .burstInterval = 30};
    SamplingParameters same = shorter;
    same.burstInterval = 60;
    const SamplingParameters plain{.period = 2, .hexadecimalFormat = false};
    const SamplingParameters trevan{.period = 1.5f,
                                    .startDelay = 5,
                                    .startOnPowerUp = true,
                                    .burstMode = true,
                                    .burstWarmup = 2,
                                    .burstLength = 10,
                                    .burstInterval = 7.5f};
    const SamplingParameters vantor{.period = 0.3f,
                                    .sleepWhenMemoryFull = true,
                                    .burstLength = 10,
                                    .burstInterval = 60,
                                    .shutterEnabled = true,
                                    .shutterOperateTime = 2.5f,
                                    .shutterCounterClockwise = true,
                                    .fluorescenceMode = {kTimeShare, 0}};
    struct Case {
        const char* name;
        int type;
        bool shutter;
        const SamplingParameters& edited;
        bool nonvolatile;
        const char* text;
    } cases[] = {
        {"shorter interval: length first", kALumo, false, shorter, false,
         "BURSTLENGTH,5\rBURSTCYCLE,30\rPERIOD,.5\rSTARTDELAY,10\rBURST,1\rDATAFORMAT,H\r"},
        {"same interval: interval first", kCLumo, false, same, true,
         "BURSTCYCLE,60\rBURSTLENGTH,5\rPERIOD,.5\rSTARTDELAY,10\rBURST,1\rDATAFORMAT,H\r"},
        {"no burst, decimal", kXLumo, false, plain, false,
         "PERIOD,2\rSTARTDELAY,0\rBURST,0\rDATAFORMAT,D\r"},
        {"Trevan-2 nonvolatile", kTrevan2, false, trevan, true,
         "LOG,1.5,5,1,1,2,10,7.5,\rSTORELOG\r"},
        {"Vantor-6 with shutter", kVantor6, true, vantor, true,
         "fl7,2\rfl8,0\rLOG,.3,0,1,0,0,0,10,60,0\rshutter,1,0,2.5,CCW\rSTORELOG\rSTOREFL\r"},
        {"Vantor-2: one fluorescence channel", kVantor2, false, vantor, false,
         "fl3,2\rLOG,.3,0,1,0,0,0,10,60,0\r"},
        {"unknown", kUnknownType, false, vantor, true, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuildApplyText(c.type, CalibrationOf(c.type), c.shutter, current, c.edited,
                                 c.nonvolatile),
                  c.text)
            << c.name;
    }
}

TEST(SampleParams, PeriodRulesOfApply) {
    ScriptedPrompter prompter;
    SamplingParameters p;
    p.period = 0.05f;
    EXPECT_TRUE(ApplyPeriodRules(p, kTrevan2, CalibrationOf(kTrevan2), prompter));
    EXPECT_FLOAT_EQ(p.period, 0.1f);

    // bb/fl sharing on a Vantor-6 asks for 0.3 s ("Yes": the sampling window's test); "Cancel"
    // sends nothing
    p.period = 0.2f;
    p.fluorescenceMode[1] = kTimeShare;
    prompter.answers = {0};
    EXPECT_FALSE(ApplyPeriodRules(p, kVantor6, CalibrationOf(kVantor6), prompter));
    EXPECT_FLOAT_EQ(p.period, 0.2f);
    // no question at 0.3 itself, nor without a fluorescence channel
    p.period = 0.3f;
    EXPECT_TRUE(ApplyPeriodRules(p, kVantor6, CalibrationOf(kVantor6), prompter));
    p.period = 0.2f;
    EXPECT_TRUE(ApplyPeriodRules(p, kVantor4, CalibrationOf(kVantor4), prompter));
    EXPECT_EQ(prompter.shown.size(), 1u);
}

using SamplingExchange = Answering;

TEST_F(SamplingExchange, LoadAndApplyOnASingleChannelInstrument) {
    Connect(kALumo);
    sim::SimOptions options = SimModel(kALumo);
    options.period = 0.5;  // it tells a rate of 2
    instrument.Simulate(clock, options);
    ASSERT_TRUE(LoadSampleParams(program, waiter, 0));
    EXPECT_FLOAT_EQ(Slot().sampling.period, 0.5f);
    EXPECT_EQ(Port().written, "DATAFORMAT\rPERIOD\rSTARTDELAY\rBURST\r");

    SamplingParameters edited = Slot().sampling;
    edited.period = 0.04f;  // raised to 0.1
    edited.hexadecimalFormat = false;
    Port().written.clear();
    EXPECT_EQ(ApplySampleParams(program, waiter, 0, edited, true), ApplyResult::kApplied);
    EXPECT_EQ(Port().written,
              "PERIOD,.1\rSTARTDELAY,0\rBURST,0\rDATAFORMAT,D\r"
              "DATAFORMAT\rPERIOD\rSTARTDELAY\rBURST\r");
    EXPECT_FLOAT_EQ(Slot().sampling.period, 0.1f);  // as read back
    EXPECT_TRUE(Slot().lastCommand.empty());
}

}  // namespace
}  // namespace tidewell::test
