#include "instrument/Connection.h"

#include <gtest/gtest.h>

#include "instrument/CalExchange.h"
#include "tests/instrument/FakeInstrument.h"

namespace tidewell::test {
namespace {

// What the dialog and the window were shown.
struct ConnectionLog : ConnectionObserver {
    std::vector<std::string> dialog, window, reminders;
    std::vector<std::string> tried;  // "port@rate"
    std::function<void()> onTry;
    int reminderDays = 7;
    bool selectResult = false;
    int selects = 0, statusWindows = 0;

    void ShowDialogStatus(int, const std::string& t) override { dialog.push_back(t); }
    void ShowWindowStatus(int, const std::string& t) override { window.push_back(t); }
    void ShowPortAndRate(int, const std::string& port, int32_t baud) override {
        tried.push_back(port + "@" + std::to_string(baud));
        if (onTry) onTry();
    }
    bool SelectCalibration(int) override {
        ++selects;
        return selectResult;
    }
    int CalReminderForm(int, const std::string& text, Prompter&) override {
        reminders.push_back(text);
        return reminderDays;
    }
    void ShowInstrumentStatus(int, const std::string&, const std::string&, const std::string&,
                              const std::string&) override {
        ++statusWindows;
    }
    bool Shown(const std::string& text) const {
        return std::find(dialog.begin(), dialog.end(), text) != dialog.end();
    }
};

// A Vantor-6 calibration as an instrument holds it, made `days` before `now`.
CalibrationDataClass VantorCalibration(double now, double days) {
    CalibrationDataClass cal = sim::BuiltInCalibration(kVantor6);
    cal.Label = "Lab";
    cal.CalTime = now - days;
    return cal;
}

class Connecting : public ConnectionTest {
  protected:
    FakeInstrument instrument{Port()};
    ConnectionLog log;

    Connecting() { ctx.observer = &log; }
};

TEST_F(Connecting, AnIdleVantorAnswersTheFirstQuestion) {
    instrument.Simulate(clock, SimModel(kVantor6, 19200));
    InstrumentRecord& r = Slot();  // what an earlier link left is forgotten when the port opens
    r.pendingInput.Append("half a li");
    r.unroutedText = "noise";
    r.outputQueue = "STOP\r";
    Port().Feed("stale");
    const double start = clock.Now();
    ASSERT_TRUE(TryPort(ctx, 0, "/dev/ttyUSB0", 19200));
    EXPECT_TRUE(r.pendingInput.Empty());
    EXPECT_TRUE(r.unroutedText.starts_with(">\r\n>\r\nIdentification:"));
    EXPECT_EQ(r.portName, "/dev/ttyUSB0");
    EXPECT_EQ(r.serialNumber, instrument.sim->calibration().Serial);
    EXPECT_EQ(r.baudRate, 19200);
    EXPECT_EQ(Port().Settings(), "19200,N,8,1");
    // two carriage returns wake it; a Vantor is not asked for its version
    EXPECT_EQ(Port().written, "\r\rID\r");
    EXPECT_EQ(r.lastCommand, "");
    // the reply is looked at after one second, not before
    EXPECT_NEAR(SecondsSince(start), 1.0, 0.06);
    EXPECT_TRUE(log.Shown(" Found Vantor-6"));
    EXPECT_EQ(log.window, std::vector<std::string>{" Searching"});
}

TEST_F(Connecting, SingleChannelModelsAreAskedForTheirVersion) {
    instrument.Simulate(clock, SimModel(kALumo));
    ASSERT_TRUE(TryPort(ctx, 0, "/dev/ttyUSB1", 9600));
    EXPECT_EQ(Slot().modelName, "a-Lumo");
    EXPECT_EQ(Slot().instrumentType, kALumo);
    EXPECT_EQ(Slot().firmwareVersion, instrument.sim->FirmwareVersion());
    EXPECT_EQ(Port().written, "\r\rID\rVER\r");
    EXPECT_EQ(Slot().lastCommand, "");

    // an instrument that never tells its version is still identified, three seconds later
    At(0.5, [this] { instrument.silent = true; });  // once its identification is out
    const double start = clock.Now();
    ASSERT_TRUE(TryPort(ctx, 0, "/dev/ttyUSB1", 9600));
    EXPECT_EQ(Slot().firmwareVersion, "0");
    EXPECT_NEAR(SecondsSince(start), 1.0 + kVersionWaitSeconds, 0.3);
}

// A streaming instrument is stopped and asked once more; one that keeps streaming is given up
// on, the retry's three seconds counted from the first look, one second in.
TEST_F(Connecting, AStreamingInstrumentIsStoppedAndAskedOnceMore) {
    const std::string streaming = "*D0000000000\r\n";
    instrument.otherwise = streaming;
    for (bool stops : {true, false}) {
        bool sampling = true;
        instrument.answers["ID"] = [&](const std::string&) {
            return sampling ? streaming : IdentificationReply("VN6", "VN6-0101");
        };
        instrument.answers["STOP"] = [&, stops](const std::string&) {
            sampling = !stops;
            return stops ? Lines({"Stopped", ">"}) : streaming;
        };
        Port().written.clear();
        const double start = clock.Now();
        EXPECT_EQ(TryPort(ctx, 0, "/dev/ttyUSB0", 19200), stops);
        EXPECT_EQ(Port().written, "\r\rID\rSTOP\rID\r");
        if (!stops) {
            EXPECT_NEAR(SecondsSince(start), 4.0, 0.06);
        }
    }
}

// Silence gives up after three seconds; a cancel at once, before or after the first look.
TEST_F(Connecting, SilenceOrACancelEndsTheAttempt) {
    instrument.silent = true;
    for (double cancelAt : {0.0, 0.5, 2.0}) {
        Slot().identified = true;  // from an earlier connection
        Slot().cancelRequest = 0;
        if (cancelAt > 0) At(cancelAt, [this] { Slot().cancelRequest = kCancelRequested; });
        const double start = clock.Now();
        EXPECT_FALSE(TryPort(ctx, 0, "/dev/ttyUSB0", 4800));
        EXPECT_NEAR(SecondsSince(start), cancelAt > 0 ? cancelAt : 3.0, 0.06);
        EXPECT_FALSE(Slot().identified);
        EXPECT_TRUE(Slot().PortOpen());  // the caller decides what to say about an open port
    }
}

TEST_F(Connecting, SearchGoesThroughRatesThenPorts) {
    instrument.Simulate(clock, SimModel(kVantor6, 38400));
    // only the second port has an instrument
    instrument.silent = true;
    log.onTry = [this] { instrument.silent = log.tried.back() != "/dev/b@38400"; };
    const double start = clock.Now();
    ASSERT_TRUE(SearchInstrument(ctx, 0, {"/dev/a", "/dev/b"}));
    EXPECT_EQ(log.tried, (std::vector<std::string>{"/dev/a@19200", "/dev/a@9600", "/dev/a@38400",
                                                   "/dev/a@57600", "/dev/a@4800", "/dev/b@19200",
                                                   "/dev/b@9600", "/dev/b@38400"}));
    EXPECT_EQ(log.dialog.back(), " Vantor-6 found");
    EXPECT_NEAR(SecondsSince(start), 7 * 3.0 + 1.0, 0.5);

    // a stop ends it before the next pair
    log.tried.clear();
    instrument.silent = true;
    log.onTry = [this] {
        if (log.tried.size() == 2) At(1.5, [this] { Slot().cancelRequest = kCancelRequested; });
    };
    EXPECT_FALSE(SearchInstrument(ctx, 0, {"/dev/a", "/dev/b"}));
    EXPECT_EQ(log.tried, (std::vector<std::string>{"/dev/a@19200", "/dev/a@9600"}));
}

TEST(PortList, APortExistsWhenItOpensOrIsHeld) {
    FakeSerialPort probe;
    EXPECT_TRUE(PortExists(probe, "/dev/ttyUSB0"));
    EXPECT_FALSE(probe.IsOpen());  // looked at, not kept
    probe.failOpen = true;
    EXPECT_FALSE(PortExists(probe, "/dev/ttyUSB9"));
    struct HeldPort : FakeSerialPort {
        bool AlreadyOpen() const override { return true; }
    } held;
    held.failOpen = true;
    EXPECT_TRUE(PortExists(held, "/dev/ttyUSB1"));
}

class CalibrationChecks : public Connecting {
  protected:
    // An identified Vantor-6 with serial "VN6-0101" and a calibration file loaded.
    InstrumentRecord& WithFile(int calType, const std::string& calSerial) {
        InstrumentRecord& r = Connect(kVantor6);
        r.serialNumber = "VN6-0101";
        r.calibration = std::make_shared<CalibrationDataClass>();
        r.calibration->DeviceType = calType;
        r.calibration->Serial = calSerial;
        r.calibrationLoaded = true;
        ctx.loadCalFromInstrument = false;
        return r;
    }
};

TEST_F(CalibrationChecks, ACalibrationOfAnotherTypeOrNoneIsRefused) {
    InstrumentRecord& r = WithFile(kVantor4, "V4-0102");
    ConnectInstrument(ctx, 0);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(
        prompter.shown[0].starts_with("The current calibration file type (Vantor-4) does "
                                      "not match the detected instrument (Vantor-6)."));
    EXPECT_FALSE(r.identified);
    EXPECT_EQ(r.cancelRequest, kCancelRequested);
    EXPECT_EQ(log.dialog.back(), " Port open, no instrument");

    prompter.shown.clear();
    r.identified = true;
    r.cancelRequest = 0;
    r.calibrationLoaded = false;
    ConnectInstrument(ctx, 0);
    EXPECT_EQ(prompter.shown, std::vector<std::string>{kNoCalibrationLoadedMessage});
    EXPECT_FALSE(r.identified);
}

TEST_F(CalibrationChecks, ASerialMismatchMayKeepTheCalibration) {
    InstrumentRecord& r = WithFile(kVantor6, "VN6-0222");
    const auto* before = r.calibration.get();
    prompter.answers = {0};  // "Use Current"
    ConnectInstrument(ctx, 0);
    EXPECT_EQ(prompter.shown,
              std::vector<std::string>{
                  "The connected instrument's serial number (VN6-0101) does not match the "
                  "currently loaded calibration (VN6-0222).  Do you wish to select a different "
                  "calibration?"});
    EXPECT_TRUE(r.identified);
    EXPECT_EQ(r.calibration.get(), before);
    EXPECT_EQ(log.statusWindows, 1);
    // the instrument was stopped first, and nothing was read from it
    EXPECT_EQ(Port().written, "STOP\r");

    // "Select Cal": a cancelled selection fails the connection, a selection made goes on
    for (bool selected : {false, true}) {
        r.identified = true;
        r.cancelRequest = 0;
        log.selectResult = selected;
        prompter.answers = {1};
        ConnectInstrument(ctx, 0);
        EXPECT_EQ(r.identified, selected);
        EXPECT_EQ(r.cancelRequest, selected ? 0 : kCancelRequested);
    }
    EXPECT_EQ(log.selects, 2);
}

TEST_F(CalibrationChecks, OlderSingleChannelFirmwareHoldsNoCalibration) {
    InstrumentRecord& r = Connect(kALumo);
    r.serialNumber = "AB1234";
    ConnectInstrument(ctx, 0);
    EXPECT_EQ(prompter.shown, std::vector<std::string>{kOlderFirmwareMessage});
    EXPECT_FALSE(r.identified);
    EXPECT_EQ(instrument.Count("DUMPCFG"), 0);
}

// The calibration read from the instrument is kept in a temporary file; one older than 180 days
// brings the reminder, and after "1 Week" not again for seven days.
TEST_F(CalibrationChecks, TheReminderComesAfter180DaysAndThenAtTheChosenDate) {
    InstrumentRecord& r = Connect(kVantor6);
    r.serialNumber = "VN6-0101";
    r.identification1 = "T0";
    r.identification2 = "Lab";
    ctx.instance = 3;
    CalibrationDataClass held;
    auto connectWithAge = [&](double days) {
        held = VantorCalibration(clock.Now(), days);
        instrument.Simulate(clock, SimModel(kVantor6), held);
        r.identified = true;
        ConnectInstrument(ctx, 0);
        ASSERT_TRUE(r.calibrationLoaded);
    };
    connectWithAge(179.99);  // not more than 180 days
    EXPECT_TRUE(log.reminders.empty());
    EXPECT_TRUE(prompter.shown.empty() && r.identified);
    EXPECT_EQ(instrument.heard, (std::vector<std::string>{"STOP", "sendcal"}));
    held.CheckAndUpdateAll(program.settings.Sigma, ctx.tables, prompter);
    EXPECT_EQ(r.Calibration().Compare(held), 0);
    EXPECT_EQ(r.Calibration().Config, "T0");
    EXPECT_EQ(program.settings.CalFile, temp.File("temp3.cal"));
    EXPECT_EQ(ReadFileBytes(temp.File("temp3.cal")), r.Calibration().CalFileText());
    connectWithAge(181);
    ASSERT_EQ(log.reminders.size(), 1u);
    EXPECT_EQ(log.reminders[0],
              "The calibration stored in this instrument is 181 days old.  Corvane recommends "
              "calibration every six months or 200 hours of operation.");
    // "1 Week": not again for seven days
    clock.AdvanceSeconds(6.9 * 86400);
    connectWithAge(188);
    EXPECT_EQ(log.reminders.size(), 1u);
    clock.AdvanceSeconds(0.2 * 86400);
    connectWithAge(188.2);
    ASSERT_EQ(log.reminders.size(), 2u);
    EXPECT_NE(log.reminders[1].find(" 188 days old."), std::string::npos);
    // an unreadable date counts as long past
    store.Write("VN6-0101", "RemindDate", "soon");
    connectWithAge(200);
    EXPECT_EQ(log.reminders.size(), 3u);
}

// A shutter that moves is waited for until it is done, or for its limit when it never says so
// (while it keeps talking, so the link never falls silent); a cancel ends the connection.
TEST_F(CalibrationChecks, TheShutterIsWaitedForUntilDoneOrItsLimit) {
    for (double done : {5.0, 1 + kShutterWaitSeconds, 3.0}) {
        const bool finishes = done == 5.0, cancel = done == 3.0;
        InstrumentRecord& r = WithFile(kVantor6, "VN6-0101");
        r.identification1 = "T1";
        log.statusWindows = 0;
        instrument.answers["STOP"] = [this, finishes](const std::string&) {
            if (finishes) At(5, [this] { Port().Feed("..done\r\n>\r\n"); });
            for (int s = 1; s < 40 && !finishes; ++s) At(s, [this] { Port().Feed("."); });
            return std::string("Stopped\r\nClosing shutter");
        };
        if (cancel) At(3, [&r] { r.cancelRequest = kCancelRequested; });
        const double start = clock.Now();
        ConnectInstrument(ctx, 0);
        EXPECT_TRUE(log.Shown(kWaitingForShutterStatus));
        EXPECT_NEAR(SecondsSince(start), done, 0.15);
        EXPECT_TRUE(r.identified || cancel);
        EXPECT_EQ(log.statusWindows, cancel ? 0 : 1);
    }
}

TEST_F(Connecting, DoConnectMessages) {
    instrument.silent = true;
    // a search that finds nothing
    EXPECT_FALSE(DoConnect(ctx, 0, true, "", 0, {"/dev/a"}));
    EXPECT_EQ(prompter.shown, std::vector<std::string>{"No instrument was detected."});
    EXPECT_FALSE(Slot().PortOpen());

    // the chosen port answers nothing
    prompter.shown.clear();
    EXPECT_FALSE(DoConnect(ctx, 0, false, "/dev/a", 9600, {}));
    EXPECT_EQ(prompter.shown, std::vector<std::string>{kNoInstrumentOnPortMessage});
    EXPECT_FALSE(Slot().PortOpen());

    // the chosen port does not open: said at once, nothing sent
    prompter.shown.clear();
    Port().failOpen = true;
    Port().written.clear();
    const double start = clock.Now();
    EXPECT_FALSE(DoConnect(ctx, 0, false, "/dev/none", 9600, {}));
    EXPECT_EQ(clock.Now(), start);
    EXPECT_EQ(Port().written, "");
    EXPECT_EQ(prompter.shown,
              std::vector<std::string>{"Port /dev/none could not be opened. No such device"});
}

TEST_F(Connecting, DoConnectOffersToTryAgainWhenTheCalibrationDidNotLoad) {
    instrument.Answer("ID", IdentificationReply("VN6", "VN6-0101"));
    instrument.otherwise = "Unknown command\r\n>\r\n";  // neither the text nor the dumps
    prompter.answers = {1, 0};                          // "Yes", then "Cancel"
    EXPECT_FALSE(DoConnect(ctx, 0, false, "/dev/a", 19200, {}));
    EXPECT_EQ(prompter.shown,
              (std::vector<std::string>{kCalibrationRetryQuestion, kCalibrationRetryQuestion}));
    EXPECT_EQ(instrument.Count("ID"), 2);
    EXPECT_FALSE(Slot().PortOpen());
    EXPECT_EQ(Slot().cancelRequest, kCancelRequested);
}

TEST_F(Connecting, OpenWithoutIdentifyingSendsNothing) {
    ASSERT_TRUE(OpenWithoutIdentifying(ctx, 0, "/dev/a", 38400, kXLumo));
    EXPECT_TRUE(Slot().identified);
    EXPECT_EQ(Port().written, "");
    EXPECT_EQ(log.dialog.back(), " x-Lumo connected");
    Port().failOpen = true;
    EXPECT_FALSE(OpenWithoutIdentifying(ctx, 0, "/dev/b", 38400, kXLumo));
    EXPECT_EQ(prompter.shown,
              std::vector<std::string>{"/dev/b can not be opened. No such device."});
}

// The sleep question's answers: "Yes" sleeps and closes, "Cancel" keeps everything, "Yes" not
// confirmed then "No" keeps the link after three seconds; a sleeping instrument is not asked.
TEST_F(Connecting, DisconnectAsksToSleepFirst) {
    InstrumentRecord& r = Connect(kALumo);
    instrument.Answer("SLEEP", "Sleeping\r\n");
    prompter.answers = {1};
    EXPECT_EQ(DisconnectCommand(ctx, 0), 1);
    EXPECT_EQ(prompter.shown,
              std::vector<std::string>{"Put the a-Lumo to sleep before disconnecting?"});
    EXPECT_EQ(Port().written, "SLEEP\r");
    EXPECT_FALSE(r.PortOpen());
    EXPECT_FALSE(r.identified);
    EXPECT_EQ(r.portName, "");
    EXPECT_EQ(r.link.state, kLinkNoConnection);

    Connect(kALumo);
    instrument.silent = true;
    Port().written.clear();
    prompter.shown.clear();
    prompter.answers = {-1};
    EXPECT_EQ(DisconnectCommand(ctx, 0), -1);
    EXPECT_TRUE(r.PortOpen());
    EXPECT_EQ(Port().written, "");
    prompter.answers = {1, 0};
    const double start = clock.Now();
    EXPECT_EQ(DisconnectCommand(ctx, 0), -1);
    EXPECT_EQ(prompter.shown,
              (std::vector<std::string>{SleepQuestion("a-Lumo"), SleepQuestion("a-Lumo"),
                                        kSleepNotConfirmedQuestion}));
    EXPECT_NEAR(SecondsSince(start), 3, 0.06);
    EXPECT_TRUE(r.PortOpen());

    prompter.shown.clear();
    Connect(kALumo).link.state = kLinkSleeping;
    EXPECT_EQ(DisconnectCommand(ctx, 0), 1);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_FALSE(r.PortOpen());
}

}  // namespace
}  // namespace tidewell::test
