#include <random>
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
        {"Sample period: 1", 1},
        {"Sample rate: 0.25", 0.25},
        {"Start on power-up: 0", 0},
        {"Burst mode: off", 0},
        {"Burst cycle: -1.5e1", -15},
        {"Free 12 ab", 0},  // the rest must be a number
        {"Shutter open/close time: .5 ", 0.5},
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(ReplyLineNumber(c.line), c.number) << c.line;
}

// Each family's listing, fed line by line: the reply completes exactly at its last line.
TEST(SampleParams, EachFamilysReplyCompletesAtItsLastLine) {
    struct Case {
        const char* name;
        int type;
        bool shutter;
        Lines lines;
        SamplingParameters expected;
    };
    SamplingParameters vantor;
    vantor.period = 2.5f;
    vantor.startDelay = 2;  // 2.5 rounds to even
    vantor.sleepWhenMemoryFull = true;
    vantor.startOnPowerUp = true;
    vantor.burstMode = true;
    vantor.burstWarmup = 4;
    vantor.burstLength = 10;
    vantor.burstInterval = 60;
    vantor.totalDuration = 12.5f;
    vantor.shutterEnabled = true;
    SamplingParameters shutter = vantor;
    shutter.shutterEnabled = false;
    shutter.shutterAutomatic = true;
    shutter.shutterOperateTime = 2.5f;
    shutter.shutterCounterClockwise = true;
    SamplingParameters trevan;
    trevan.period = 0.5f;
    trevan.burstLength = 20;
    trevan.burstInterval = 15;
    trevan.shutterEnabled = true;
    SamplingParameters single;
    single.period = 0.25f;  // a rate of 4
    single.startDelay = 4;  // 3.5 rounds to even
    single.burstMode = true;
    single.burstLength = 10;
    single.burstInterval = 60;
    single.hexadecimalFormat = false;
    single.shutterEnabled = true;
    const Lines vantorLines = {
        "Sample period: 2.5",   "Start delay: 2.5", "Sleep when memory full: 1",
        "Start on power-up: 1", "Burst mode: on",   "Burst warmup time: 4",
        "Burst length: 10",     "Burst cycle: 60",  "Total duration: 12.5"};
    Lines shutterLines = vantorLines;
    for (const char* l :
         {"Shutter enabled: 0", "Automatic open/close: 1", "Shutter open/close time: 2.5",
          "Shutter state: closed", "SHUTTER DIRECTION: CCW"})
        shutterLines.push_back(l);
    const Case cases[] = {
        {"Vantor without shutter", kVantor6, false, vantorLines, vantor},
        {"Vantor with shutter", kVantor2, true, shutterLines, shutter},
        {"Trevan-2",
         kTrevan2,
         false,
         {"Sample period: .5", "Start delay: 0", "Start on power-up: 0", "Burst mode: off",
          "Burst warmup time: 0", "Burst duration: 20", "Burst cycle: 15"},
         trevan},
        {"a-Lumo",
         kALumo,
         false,
         {"Data format: decimal", "Sample rate: 4", "Start delay: 3.5", "Burst mode: ON",
          "Burst warmup time: 0", "Burst length: 10", "Burst cycle: 60"},
         single},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (size_t n = 1; n <= c.lines.size(); ++n) {
            SamplingParameters p;
            p.shutterEnabled = false;
            const Lines part(c.lines.begin(), c.lines.begin() + static_cast<long>(n));
            EXPECT_EQ(ParseSampleParams(part, c.type, c.shutter, p), n == c.lines.size()) << n;
        }
        SamplingParameters p;
        ParseSampleParams(c.lines, c.type, c.shutter, p);
        const SamplingParameters& e = c.expected;
        EXPECT_FLOAT_EQ(p.period, e.period);
        EXPECT_EQ(p.startDelay, e.startDelay);
        EXPECT_EQ(p.sleepWhenMemoryFull, e.sleepWhenMemoryFull);
        EXPECT_EQ(p.startOnPowerUp, e.startOnPowerUp);
        EXPECT_EQ(p.burstMode, e.burstMode);
        EXPECT_EQ(p.burstWarmup, e.burstWarmup);
        EXPECT_EQ(p.burstLength, e.burstLength);
        EXPECT_FLOAT_EQ(p.burstInterval, e.burstInterval);
        EXPECT_FLOAT_EQ(p.totalDuration, e.totalDuration);
        EXPECT_EQ(p.hexadecimalFormat, e.hexadecimalFormat);
        EXPECT_EQ(p.shutterEnabled, e.shutterEnabled);
        EXPECT_EQ(p.shutterAutomatic, e.shutterAutomatic);
        EXPECT_FLOAT_EQ(p.shutterOperateTime, e.shutterOperateTime);
        EXPECT_EQ(p.shutterCounterClockwise, e.shutterCounterClockwise);
        EXPECT_TRUE(p.complete);
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
    SamplingParameters current;
    current.burstInterval = 60;
    SamplingParameters shorter;
    shorter.burstMode = true;
    shorter.burstInterval = 30;
    shorter.burstLength = 5;
    shorter.period = 0.5f;
    shorter.startDelay = 10;
    SamplingParameters same = shorter;
    same.burstInterval = 60;
    SamplingParameters plain;
    plain.period = 2;
    plain.hexadecimalFormat = false;
    SamplingParameters trevan;
    trevan.period = 1.5f;
    trevan.startDelay = 5;
    trevan.startOnPowerUp = true;
    trevan.burstMode = true;
    trevan.burstWarmup = 2;
    trevan.burstLength = 10;
    trevan.burstInterval = 7.5f;
    SamplingParameters vantor;
    vantor.period = 0.3f;
    vantor.sleepWhenMemoryFull = true;
    vantor.burstLength = 10;
    vantor.burstInterval = 60;
    vantor.shutterEnabled = true;
    vantor.shutterOperateTime = 2.5f;
    vantor.shutterCounterClockwise = true;
    vantor.fluorescenceMode[0] = kTimeShare;
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
        {"Trevan-2", kTrevan2, false, trevan, false, "LOG,1.5,5,1,1,2,10,7.5,\r"},
        {"Trevan-2 nonvolatile", kTrevan2, false, trevan, true,
         "LOG,1.5,5,1,1,2,10,7.5,\rSTORELOG\r"},
        {"Vantor-6 with shutter", kVantor6, true, vantor, true,
         "fl7,2\rfl8,0\rLOG,.3,0,1,0,0,0,10,60,0\rshutter,1,0,2.5,CCW\rSTORELOG\rSTOREFL\r"},
        {"Vantor-2: one fluorescence channel", kVantor2, false, vantor, false,
         "fl3,2\rLOG,.3,0,1,0,0,0,10,60,0\r"},
        {"Vantor-4: none", kVantor4, false, vantor, false, "LOG,.3,0,1,0,0,0,10,60,0\r"},
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

    // bb/fl sharing on a Vantor-6 asks for 0.3 s; "Yes" goes on with it
    p.period = 0.2f;
    p.fluorescenceMode[1] = kTimeShare;
    prompter.answers = {1};
    EXPECT_TRUE(ApplyPeriodRules(p, kVantor6, CalibrationOf(kVantor6), prompter));
    EXPECT_FLOAT_EQ(p.period, 0.3f);
    EXPECT_EQ(BuildApplyText(kVantor6, CalibrationOf(kVantor6), false, p, p, false),
              "fl7,0\rfl8,2\rLOG,.3,0,0,0,0,0,0,0,0\r");
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0],
              "The period must be at least 0.3 when bb/fl sharing is turned on.  Set the period "
              "to 0.3 and continue?");
    // "Cancel" sends nothing
    p.period = 0.2f;
    prompter.answers = {0};
    EXPECT_FALSE(ApplyPeriodRules(p, kVantor6, CalibrationOf(kVantor6), prompter));
    EXPECT_FLOAT_EQ(p.period, 0.2f);
    // no question at 0.3 itself, nor without a fluorescence channel
    p.period = 0.3f;
    EXPECT_TRUE(ApplyPeriodRules(p, kVantor6, CalibrationOf(kVantor6), prompter));
    p.period = 0.2f;
    EXPECT_TRUE(ApplyPeriodRules(p, kVantor4, CalibrationOf(kVantor4), prompter));
    EXPECT_EQ(prompter.shown.size(), 2u);
}

TEST(SampleParams, ReciprocalOfTheRateAndPeriodBoxes) {
    EXPECT_EQ(ReciprocalBoxText(4), "0.25");
    EXPECT_EQ(ReciprocalBoxText(3), "0.33");
    EXPECT_EQ(ReciprocalBoxText(0.1), "10.00");
    EXPECT_EQ(ReciprocalBoxText(0), "");
    EXPECT_EQ(ReciprocalBoxText(-2), "");
}

using SamplingExchange = Answering;

TEST_F(SamplingExchange, LoadAndApplyOnASingleChannelInstrument) {
    Connect(kALumo);
    Answer("BURST",
           "Data format: hex\r\nSample rate: 2\r\nStart delay: 0\r\nBurst mode: off\r\n"
           "Burst warmup time: 0\r\nBurst length: 10\r\nBurst cycle: 60\r\n");
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
    EXPECT_TRUE(Slot().lastCommand.empty());
}

TEST_F(SamplingExchange, AVantorWithFluorescenceChannelsIsAskedForTheirModes) {
    Connect(kVantor6).Calibration().DeviceType = kVantor6;
    Answer("LOG", "Sample period: 1\r\nTotal duration: 0\r\n");
    Answer("FL", "FL1: 2\r\nFL2: 1\r\n>\r\n");
    ASSERT_TRUE(LoadSampleParams(program, waiter, 0));
    EXPECT_EQ(Slot().sampling.fluorescenceMode[0], 2);
    EXPECT_EQ(Slot().sampling.fluorescenceMode[1], 1);
    EXPECT_EQ(Port().written, "LOG\rFL\r");
}

TEST_F(SamplingExchange, ASilentInstrumentIsGivenUpOn) {
    Connect(kTrevan2);
    const double start = clock.Now();
    EXPECT_FALSE(LoadSampleParams(program, waiter, 0));
    // "LOG" and its CR at one character a tick, one tick more, and the reply's time
    EXPECT_NEAR((clock.Now() - start) * 86400, 4 * 0.05 + 0.05 + kSampleParamsReplySeconds, 0.01);
    EXPECT_TRUE(Slot().lastCommand.empty());
}

}  // namespace
}  // namespace tidewell::test
