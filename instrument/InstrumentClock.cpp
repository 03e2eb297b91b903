#include "instrument/InstrumentClock.h"

#include "calibration/CalFile.h"
#include "instrument/Commands.h"
#include "instrument/Connection.h"
#include "instrument/OperationWaits.h"
#include "instrument/ProgramState.h"
#include "instrument/ReplyHandler.h"
#include "stream/DateValue.h"
#include "stream/NumberText.h"

namespace tidewell {

namespace {

constexpr double kSecondsPerDay = 86400.0;

std::string TwoDigits(int v) {
    v = ((v % 100) + 100) % 100;
    return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

void HandleClockReply(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    double date = 0;
    if (!FindInstrumentTime(r.replyLines, date)) return;
    r.clockOffset = date - r.lastSendComplete;
    r.timeReceived = true;
    r.lastCommand.clear();
}

}  // namespace

std::string InstrumentDateTimeText(double date) {
    const CalendarTime t = ToCalendar(date);
    return TwoDigits(t.month) + "/" + TwoDigits(t.day) + "/" + TwoDigits(t.year) + " " +
           TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

bool ReadInstrumentDateTime(std::string_view line, double& date) {
    const size_t slash = line.find('/');
    if (slash == std::string_view::npos || line.find('/', slash + 1) == std::string_view::npos ||
        line.find(':') == std::string_view::npos) {
        return false;
    }
    // the instrument clocks count from 1970 or 1980: two-digit years are this century's
    const double value = ParseCalTime(line, kVantor6);
    if (value <= 0) return false;
    date = value;
    return true;
}

bool FindInstrumentTime(const std::vector<std::string>& lines, double& date) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (ReadInstrumentDateTime(*it, date)) return true;
    }
    return false;
}

double ClockLeadDays(int instrumentType, int timerMilliseconds) {
    if (IsVantorFamily(instrumentType)) return 0;
    return kSetTimeTextLength * static_cast<double>(timerMilliseconds) / 1000.0 / kSecondsPerDay;
}

void RegisterClockReplyHandlers(ReplyHandlerTable& table) {
    for (const char* name : {"GETTIME", "SETTIME", "SETDATE"})
        table.Register(name, HandleClockReply);
}

bool ReadInstrumentClock(ProgramState& program, Waiter& waiter, int slot) {
    RegisterClockReplyHandlers(program.replyHandlers);
    InstrumentRecord& r = program.Slot(slot);
    r.timeReceived = false;
    if (!SendCommand(program, "GETTIME", slot)) return false;
    waiter.WaitUntil([&r] { return r.timeReceived; }, OutputDrainSeconds(r) + kClockReplySeconds,
                     LinkLost(r));
    if (!r.timeReceived && r.lastCommand == "GETTIME") r.lastCommand.clear();
    return r.timeReceived;
}

bool SetInstrumentClock(ProgramState& program, int slot, double date) {
    RegisterClockReplyHandlers(program.replyHandlers);
    InstrumentRecord& r = program.Slot(slot);
    const double lead = ClockLeadDays(r.instrumentType, kInputTimerMilliseconds);
    r.timeReceived = false;
    return SendCommand(program, "SETDATE", slot, InstrumentDateTimeText(date + lead) + "\r");
}

std::string ResetRemainingText(double secondsLeft) {
    return PlainInt(RoundToInt64(secondsLeft < 0 ? 0 : secondsLeft)) + " seconds remaining";
}

ResetResult ResetInstrument(ProgramState& program, Waiter& waiter, int slot,
                            const std::string& port, double seconds, ResetView& view) {
    InstrumentRecord& r = program.Slot(slot);
    if (!r.PortOpen()) {
        if (!r.port || !r.port->Open(port, PortSettingsText(9600))) {
            program.prompter.ShowMessage("Could not open port; " +
                                         (r.port ? r.port->ErrorText() : std::string()) + ".");
            return ResetResult::kPortNotOpened;
        }
    }
    view.Open("Resetting " + r.modelName, "Stop");
    r.port->SetBreak(true);
    const double start = program.Now();
    const auto passed = [&] {
        const double elapsed = (program.Now() - start) * kSecondsPerDay;
        view.Progress(seconds > 0 ? std::min(elapsed / seconds, 1.0) : 1.0,
                      ResetRemainingText(seconds - elapsed));
        // date values near today carry microseconds of rounding
        return elapsed >= seconds - 1e-3;
    };
    const WaitResult w =
        waiter.WaitUntil(passed, kNoTimeLimit, [&view] { return view.StopPressed(); });
    r.port->SetBreak(false);
    r.port->Close();
    view.Close();
    // whatever was connected has been reset: it must be connected anew
    r.identified = false;
    r.link.state = kLinkNoConnection;
    if (w == WaitResult::kCancelled) return ResetResult::kStopped;
    if (program.prompter.Ask(kResetConnectQuestion, {"Connect", "No"}) != 1) {
        return ResetResult::kDone;
    }
    if (program.hooks.connect) program.hooks.connect(slot);
    return ResetResult::kConnected;
}

bool SleepInstrument(ProgramState& program, Waiter& waiter, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    if (!SendCommand(program, "SETSLEEP", slot)) return false;
    return waiter.WaitUntil([&r] { return r.link.state == kLinkSleeping; },
                            OutputDrainSeconds(r) + kSleepWaitSeconds,
                            LinkLost(r)) == WaitResult::kDone;
}

}  // namespace tidewell
