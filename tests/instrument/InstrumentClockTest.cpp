#include <string>
#include <vector>

#include "instrument/InstrumentClock.h"
#include "stream/DateValue.h"
#include "tests/instrument/FakeInstrument.h"

namespace tidewell::test {
namespace {

constexpr double kDay = 86400.0;

// 22 July 2010 at the given time of day, seconds with fractions.
double July22(double seconds) {
    return DateValue(2010, 7, 22) + seconds / kDay;
}
constexpr double k140500 = 14 * 3600 + 5 * 60;

TEST(InstrumentClock, DateTimeTextToTheNearestSecond) {
    struct Case {
        double date;
        const char* text;
    } cases[] = {
        {July22(k140500 + 0.4), "07/22/10 14:05:00"},
        {July22(k140500 + 0.6), "07/22/10 14:05:01"},
        {DateValue(1999, 12, 31) + 86399.7 / kDay, "01/01/00 00:00:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(InstrumentDateTimeText(c.date), c.text);
}

TEST(InstrumentClock, DateTimeInAReplyLine) {
    struct Case {
        const char* line;
        bool reads;
        double date;
    } cases[] = {
        {"07/22/10 14:05:00", true, July22(k140500)},
        {"Now 7/22/2010 14:05:09", true, July22(k140500 + 9)},
        {"07/22/10", false, 0},                 // no time
        {"14:05:00", false, 0},                 // no date
        {"Automatic open/close: 1", false, 0},  // one "/" is no date
    };
    for (const Case& c : cases) {
        double date = -1;
        EXPECT_EQ(ReadInstrumentDateTime(c.line, date), c.reads) << c.line;
        if (c.reads) {
            EXPECT_NEAR(date, c.date, 1e-9) << c.line;
        }
    }
    double date = 0;
    ASSERT_TRUE(FindInstrumentTime({"07/22/10 14:05:00", "07/22/10 14:05:02", ">"}, date));
    EXPECT_NEAR((date - July22(k140500)) * kDay, 2, 1e-4);  // the last one counts
    EXPECT_FALSE(FindInstrumentTime({">", "Invalid time"}, date));
}

TEST(InstrumentClock, LeadTimeForInstrumentsFedOneCharacterATick) {
    EXPECT_NEAR(ClockLeadDays(kTrevan2, 50) * kDay, 1.15, 1e-9);
    EXPECT_NEAR(ClockLeadDays(kXLumo, 100) * kDay, 2.3, 1e-9);
    EXPECT_EQ(ClockLeadDays(kVantor4, 50), 0);
}

using ClockExchange = Answering;

// The offset is counted from the moment the request finished going out: at once on a Vantor,
// five ticks later on an a-Lumo, which takes "TIME" and its CR one character a tick.
TEST_F(ClockExchange, OffsetFromTheLastReplyLineAgainstTheEndOfSending) {
    for (int type : {kVantor6, kALumo}) {
        SCOPED_TRACE(ModelName(type));
        clock.Set(July22(k140500));
        Connect(type);
        Answer("TIME", "07/22/10 14:05:01\r\n07/22/10 14:05:03\r\n>\r\n");
        ASSERT_TRUE(ReadInstrumentClock(program, waiter, 0));
        EXPECT_NEAR(Slot().clockOffset * kDay, type == kVantor6 ? 3 : 3 - 0.2, 1e-4);
        EXPECT_TRUE(Slot().timeReceived);
        EXPECT_TRUE(Slot().lastCommand.empty());
    }
    // a clock that never answers is given up on
    Answer("TIME", "");
    EXPECT_FALSE(ReadInstrumentClock(program, waiter, 0));
    EXPECT_TRUE(Slot().lastCommand.empty());
}

TEST_F(ClockExchange, ClockSetAheadByTheTimeItsTextTakes) {
    for (int type : {kALumo, kVantor6}) {
        clock.Set(July22(k140500 - 0.6));  // 14:04:59.4
        Connect(type);
        ASSERT_TRUE(SetInstrumentClock(program, 0, clock.Now()));
        // the a-Lumo's is set to 14:05:00.55; the Vantor takes the text at once
        EXPECT_EQ(Slot().outputQueue,
                  type == kALumo ? "TIME,07/22/10 14:05:01\r\r" : "TIME,07/22/10 14:04:59\r\r");
        EXPECT_EQ(Slot().lastCommand, "SETDATE");
    }
    // the instrument's answer with its new time gives the offset
    Answer("TIME,07/22/10 14:04:59", "07/22/10 14:04:59\r\n>\r\n");
    waiter.WaitUntil([this] { return Slot().timeReceived; }, 1);
    // sent in three ticks: the last at 14:04:59.5
    EXPECT_NEAR(Slot().clockOffset * kDay, -0.5, 1e-4);
}

// Records the reset's window and presses Stop after a given number of passes.
struct ResetLog : ResetView {
    FakeSerialPort* port = nullptr;
    std::string caption, button;
    std::vector<std::string> texts;
    int breakPasses = 0;
    int stopAfter = -1;
    bool closed = false;
    void Open(const std::string& c, const std::string& b) override {
        caption = c;
        button = b;
    }
    void Progress(double, const std::string& text) override {
        if (texts.empty() || texts.back() != text) texts.push_back(text);
        if (port->breakOn) ++breakPasses;
    }
    void Close() override { closed = true; }
    bool StopPressed() override { return stopAfter >= 0 && breakPasses >= stopAfter; }
};

using Reset = EngineTest;

TEST_F(Reset, BreakForTheResetTimeThenTheConnectQuestion) {
    bool connectAsked = false;
    program.hooks.connect = [&](int) { return connectAsked = true; };
    ResetLog log;
    log.port = &Port();
    Slot().modelName = "a-Lumo";
    prompter.answers = {1};
    EXPECT_EQ(ResetInstrument(program, waiter, 0, "/dev/ttyUSB0", 2, log), ResetResult::kConnected);
    EXPECT_EQ(log.caption + "/" + log.button, "Resetting a-Lumo/Stop");
    EXPECT_EQ(Port().DeviceName(), "/dev/ttyUSB0");
    EXPECT_EQ(log.texts, (std::vector<std::string>{"2 seconds remaining", "1 seconds remaining",
                                                   "0 seconds remaining"}));
    EXPECT_EQ(ResetRemainingText(0.6), "1 seconds remaining");  // rounded, not cut
    EXPECT_EQ(log.breakPasses, 41);  // 2 s of 50 ms passes, and the last look
    EXPECT_FALSE(Port().breakOn);
    EXPECT_FALSE(Port().IsOpen());
    EXPECT_TRUE(log.closed);
    EXPECT_EQ(prompter.shown, std::vector<std::string>{kResetConnectQuestion});
    EXPECT_TRUE(connectAsked);
}

// Stop ends the break at once and asks nothing; a port that cannot open changes nothing.
TEST_F(Reset, StopEndsTheBreakAtOnceAndAPortThatCannotOpenChangesNothing) {
    ResetLog log;
    log.port = &Port();
    log.stopAfter = 5;
    Connect(kVantor6);
    EXPECT_EQ(ResetInstrument(program, waiter, 0, "/dev/other", 10, log), ResetResult::kStopped);
    EXPECT_EQ(Port().DeviceName(), "/dev/fake0");  // the open port is the one reset
    EXPECT_EQ(log.breakPasses, 5);
    EXPECT_FALSE(Port().breakOn || Port().IsOpen());
    EXPECT_TRUE(prompter.shown.empty());

    log.caption.clear();
    Port().failOpen = true;
    EXPECT_EQ(ResetInstrument(program, waiter, 0, "/dev/none", 5, log),
              ResetResult::kPortNotOpened);
    EXPECT_EQ(prompter.shown, std::vector<std::string>{"Could not open port; No such device."});
    EXPECT_EQ(log.caption, "");
}

using Sleep = Answering;

TEST_F(Sleep, ConfirmedOrNot) {
    Connect(kTrevan2);
    instrument.Simulate(clock, SimModel(kTrevan2));
    EXPECT_TRUE(SleepInstrument(program, waiter, 0));
    EXPECT_EQ(Slot().link.state, kLinkSleeping);
    EXPECT_TRUE(instrument.sim->asleep());
    instrument.sim.reset();
    Connect(kVantor6);
    Answer("SLEEP", "");
    EXPECT_FALSE(SleepInstrument(program, waiter, 0));
}

}  // namespace
}  // namespace tidewell::test
