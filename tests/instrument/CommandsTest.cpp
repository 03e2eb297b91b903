#include <string>

#include "instrument/Commands.h"
#include "settings/SettingsKeys.h"
#include "tests/instrument/EngineFixture.h"

namespace tidewell::test {
namespace {

using Commands = EngineTest;

// How each kind of command reaches the port (queued, replacing the queue, written at once or
// not at all), per family, with its argument, and the link states it moves to; the commands
// the operations send are checked with them. The queue holds "old" before each command.
TEST_F(Commands, CommandTable) {
    struct Case {
        const char* command;
        const char* argument;
        int type;
        int32_t state;        // link state before
        const char* queue;    // output queue after
        const char* written;  // written to the port at once
        const char* outstanding;
        int32_t stateAfter;
    } cases[] = {
        {"ID", "", kVantor6, kLinkStopped, "ID\r", "", "ID", kLinkStopped},
        {"ver", "x", kALumo, kLinkStopped, "oldverx\r", "", "VER", kLinkStopped},
        {"START", "1", kVantor6, kLinkStopped, "oldSTART,01\r", "", "START", kLinkStartPending},
        {"START", "1", kALumo, kLinkStopped, "oldSTART\r", "", "START", kLinkStartPending},
        {"STOP", "", kCLumo, kLinkSampling, "oldSTOP\r", "", "STOP", kLinkStopPending},
        {"SETSLEEP", "", kVantor6, kLinkStopped, "oldSLEEP\r", "", "SETSLEEP", kLinkStopped},
        {"SETSLEEP", "", kVantor6, kLinkSleeping, "\r\r", "", "SETSLEEP", kLinkSleeping},
        {"SETPERIOD", "10", kVantor4, kLinkStopped, "old", "\r\nLOG,10\r", "SETPERIOD",
         kLinkStopped},
        {"SETDELAY", "30", kVantor6, kLinkStopped, "old", "\r\nLOG,,30\r\n", "SETDELAY",
         kLinkStopped},
        {"TIME", "", kVantor6, kLinkStopped, "old", "", "TIME", kLinkStopped},
        {"CLEARSAMPLE", "", kVantor6, kLinkStopped, "oldX\r", "", "CLEARSAMPLE", kLinkStopped},
        {"FL", "", kALumo, kLinkStopped, "old", "", "", kLinkStopped},
        // fluorescence channels follow the scattering ones: 7 and 8 on a Vantor-6, 3 on a
        // Vantor-2, none on a Vantor-4
        {"FL1", "2", kVantor6, kLinkStopped, "oldFL7,2\r", "", "FL1", kLinkStopped},
        {"FL2", "0", kVantor6, kLinkStopped, "oldFL8,0\r", "", "FL2", kLinkStopped},
        {"FL1", "1", kVantor2, kLinkStopped, "oldFL3,1\r", "", "FL1", kLinkStopped},
        {"FL2", "1", kVantor2, kLinkStopped, "old", "", "", kLinkStopped},
        {"FL1", "1", kVantor4, kLinkStopped, "old", "", "", kLinkStopped},
        {"\r\n", "", kCLumo, kLinkStopped, "\r\r", "", "\r\n", kLinkStopped},
        // an instrument of no known family gets only what every family gets
        {"START", "", kUnknownType, kLinkStopped, "old", "", "START", kLinkStopped},
        {"HELLO", "!", kUnknownType, kLinkStopped, "oldHELLO!\r", "", "HELLO", kLinkStopped},
    };
    for (const Case& c : cases) {
        InstrumentRecord& r = Connect(c.type);
        r.Calibration().DeviceType = c.type;
        r.link.state = c.state;
        r.outputQueue = "old";
        Port().written.clear();
        ASSERT_TRUE(SendCommand(program, c.command, 0, c.argument)) << c.command;
        EXPECT_EQ(r.outputQueue, c.queue) << c.command << " type " << c.type;
        EXPECT_EQ(Port().written, c.written) << c.command << " type " << c.type;
        EXPECT_EQ(r.lastCommand, c.outstanding) << c.command << " type " << c.type;
        EXPECT_EQ(r.link.state, c.stateAfter) << c.command << " type " << c.type;
    }
}

// A command starts a fresh reply; "DIR" a fresh cast list too, which keeps 199 lines.
TEST_F(Commands, CommandStartsAFreshReply) {
    InstrumentRecord& r = Connect(kTrevan2);
    r.replyLines = {"stale"};
    r.idComplete = r.directoryComplete = true;
    r.castList.Add("1 20480");
    clock.AdvanceSeconds(5);
    SendCommand(program, "ID", 0);
    EXPECT_TRUE(r.replyLines.empty());
    EXPECT_FALSE(r.idComplete);
    EXPECT_EQ(r.lastSendComplete, clock.Now());
    SendCommand(program, "DIR", 0);
    EXPECT_EQ(r.castList.size(), 0);
    EXPECT_FALSE(r.directoryComplete);
    for (int i = 0; i < 250; ++i) r.castList.Add(std::to_string(i));
    EXPECT_EQ(r.castList.size(), 199);
}

TEST_F(Commands, RateChangeReplacesTheQueueThenFollowsOnThePort) {
    InstrumentRecord& r = Connect(kVantor6);
    r.outputQueue = "unsent";
    ASSERT_TRUE(SendCommand(program, "BAUD", 0, " ,19200"));
    EXPECT_EQ(r.outputQueue, "BAUD,19200\r");
    EXPECT_EQ(r.baudRate, 19200);
    Tick();  // 10 characters out
    Tick();  // the last one: the queue is empty
    EXPECT_EQ(Port().settingsHistory.back(), "9600,N,8,1");
    Port().pendingBytes = 3;  // still on its way out
    Tick();
    EXPECT_EQ(r.lastCommand, "BAUD");
    Port().pendingBytes = 0;
    Tick();
    EXPECT_EQ(Port().settingsHistory.back(), "19200,N,8,1");
    EXPECT_EQ(Port().receiveClears, 1);
    EXPECT_EQ(store.Read(keys::Baud), "19200");
    EXPECT_EQ(r.lastCommand, "");
    EXPECT_EQ(Port().written, "BAUD,19200\r\r");

    // a rate outside the six sends nothing and changes nothing
    for (const char* rate : {"14400", "", "19200x"}) {
        ASSERT_TRUE(SendCommand(program, "BAUD", 0, rate));
        Tick(0, 3);
        EXPECT_EQ(Port().written, "BAUD,19200\r\r") << rate;
        EXPECT_EQ(r.baudRate, 19200) << rate;
        EXPECT_EQ(r.lastCommand, "") << rate;
    }
    EXPECT_EQ(Port().settingsHistory.back(), "19200,N,8,1");
}

TEST_F(Commands, StartOpensRecordingFilesFirst) {
    InstrumentRecord& r = Connect(kVantor6);
    int calls = 0;
    int answer = -1;
    program.hooks.openRecordingForStart = [&](int slot) {
        EXPECT_EQ(slot, 0);
        ++calls;
        return answer;
    };
    SendCommand(program, "START", 0);  // the user cancels the new files
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(r.outputQueue, "");
    EXPECT_EQ(observer.timerEnables, 0);
    answer = 1;
    SendCommand(program, "START", 0);
    EXPECT_EQ(r.outputQueue, "START,0\r");
    EXPECT_EQ(observer.timerEnables, 1);
    // with a recording open no new one is made
    TempDir dir;
    ASSERT_TRUE(r.recording.files.datFile.Open(dir.File("x.dat")));
    SendCommand(program, "STARTNOLOG", 0);
    EXPECT_EQ(calls, 2);
    // nor while a download runs, which no start interrupts
    r.outputQueue.clear();
    r.downloading = true;
    EXPECT_TRUE(SendCommand(program, "START", 0));
    EXPECT_EQ(prompter.shown, std::vector<std::string>{"Can Not Start While Downloading"});
    EXPECT_EQ(r.outputQueue, "");
}

TEST_F(Commands, UnidentifiedInstrumentAsksForAConnection) {
    InstrumentRecord& r = Slot(1);
    r.port->Open("/dev/fake1", "9600,N,8,1");
    EXPECT_FALSE(SendCommand(program, "STOP", 1));
    EXPECT_EQ(r.outputQueue, "");
    EXPECT_EQ(r.lastCommand, "");

    program.hooks.connect = [this](int slot) {
        Slot(slot).identified = true;
        Slot(slot).instrumentType = kALumo;
        return true;
    };
    EXPECT_TRUE(SendCommand(program, "STOP", 1));
    EXPECT_EQ(r.outputQueue, "STOP\r");
}

TEST_F(Commands, OutputPacingPerFamily) {
    struct Case {
        int type;
        int32_t state;
        size_t perTick;
    } cases[] = {
        {kVantor6, kLinkStopped, 10}, {kVantor2, kLinkNoData, 10}, {kVantor6, kLinkSleeping, 1},
        {kALumo, kLinkStopped, 1},    {kTrevan2, kLinkStopped, 1}, {kUnknownType, kLinkStopped, 1},
    };
    for (const Case& c : cases) {
        InstrumentRecord& r = Connect(c.type);
        r.link.state = c.state;
        r.lastReceiveTime = clock.Now();
        Port().written.clear();
        r.outputQueue = std::string(25, 'x');
        r.lastSendComplete = 0;
        Tick();
        EXPECT_EQ(Port().written.size(), c.perTick) << c.type << "/" << c.state;
        // the queue empties after ceil(25 / n) ticks in all; its end is noted
        const int ticks = static_cast<int>((25 + c.perTick - 1) / c.perTick);
        Tick(0, ticks - 2);
        EXPECT_EQ(r.lastSendComplete, 0) << c.type;
        const double last = clock.Now();
        Tick();
        EXPECT_EQ(Port().written, std::string(25, 'x')) << c.type;
        EXPECT_EQ(r.lastSendComplete, last) << c.type;
    }
}

}  // namespace
}  // namespace tidewell::test
