// `tidewell clock`, `tidewell sleep` and `tidewell reset`: the instrument's clock, putting it to
// sleep, and the long break that resets an instrument that does not answer.

#include <ostream>
#include <string>
#include <vector>

#include "instrument/Connection.h"
#include "instrument/InstrumentClock.h"
#include "instrument/OperationWaits.h"
#include "shell/cli/InstrumentSession.h"
#include "shell/cli/Json.h"
#include "shell/cli/Subcommands.h"
#include "stream/DateValue.h"
#include "stream/NumberText.h"

namespace tidewell::cli {

namespace {

constexpr double kSecondsPerDay = 86400.0;

constexpr const char* kClockHelp =
    "Usage: tidewell clock get CONNECTION\n"
    "       tidewell clock set CONNECTION [--to-computer | --time \"MM/DD/YY HH:MM:SS\"]\n"
    "\n"
    "get prints the instrument's date and time, the computer's, and how many seconds the\n"
    "instrument is ahead, as JSON. set sets the instrument's clock to the computer's time (the\n"
    "default) or to the time given, then reads it back and prints it as get does. The time\n"
    "given must exist: month 1-12, a day of that month, 00:00:00 to 23:59:59; the year 70-99\n"
    "is 1970-1999, 00-69 is 2000-2069.\n"
    "\n"
    "Exit status 0 when the clock was read (and set), 1 when not, 2 for a usage error.\n"
    "\n"
    "CONNECTION:\n"
    "%CONNECT%";

constexpr const char* kSleepHelp =
    "Usage: tidewell sleep CONNECTION\n"
    "\n"
    "Puts the instrument to sleep and closes the port. Exit status 0 when the instrument said\n"
    "it sleeps, 1 when not.\n"
    "\n"
    "CONNECTION:\n"
    "%CONNECT%";

constexpr const char* kResetHelp =
    "Usage: tidewell reset --port DEV [--seconds N]\n"
    "\n"
    "Holds a break on DEV for N seconds (default 5), which can wake an instrument that does not\n"
    "answer; it is not needed in normal circumstances. The port is opened at 9600,N,8,1 and\n"
    "closed afterwards. After a reset the instrument may need up to 2 minutes before it answers\n"
    "a connection. SIGINT or SIGTERM ends the break early (exit status 1).\n";

std::string WithConnectHelp(const char* help) {
    std::string text = help;
    text.replace(text.find("%CONNECT%"), 9, kConnectOptionsHelp);
    return text;
}

std::string ClockJson(ProgramState& program, const InstrumentRecord& r) {
    const double now = program.Now();
    return JsonObject()
        .Str("model", r.modelName)
        .Str("instrument", InstrumentDateTimeText(now + r.clockOffset))
        .Str("computer", InstrumentDateTimeText(now))
        .Num("offsetSeconds", RoundDecimals(r.clockOffset * kSecondsPerDay, 3))
        .Text();
}

// "MM/DD/YY HH:MM:SS" as a person types it: one or two digits a field, two for the year (70-99
// the 1900s, else the 2000s), 24-hour time. The fields are only read here; whether they name a
// moment that exists is checked apart.
bool ReadClockSetting(const std::string& text, CalendarTime& t) {
    size_t at = 0;
    const auto field = [&](int& value, size_t minDigits, char after) {
        size_t digits = 0;
        value = 0;
        while (at < text.size() && digits < 2 && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + (text[at++] - '0');
            ++digits;
        }
        if (digits < minDigits) return false;
        if (after == 0) return at == text.size();
        return at < text.size() && text[at++] == after;
    };
    if (!field(t.month, 1, '/') || !field(t.day, 1, '/') || !field(t.year, 2, ' ') ||
        !field(t.hour, 1, ':') || !field(t.minute, 2, ':') || !field(t.second, 2, 0)) {
        return false;
    }
    t.year += t.year < 70 ? 2000 : 1900;
    return true;
}

}  // namespace

int RunClock(CliContext& ctx) {
    if (WantsHelp(ctx.args)) {
        ctx.out << WithConnectHelp(kClockHelp);
        return 0;
    }
    ConnectOptions connect;
    std::string error;
    std::string action = ctx.args.empty() ? std::string() : ctx.args[0];
    bool toComputer = false;
    std::string timeText;
    CalendarTime time;
    if (action != "get" && action != "set") {
        error = action.empty() ? "get or set is needed" : "unknown action " + action;
    }
    for (size_t i = 1; i < ctx.args.size() && error.empty(); ++i) {
        const std::string& a = ctx.args[i];
        if (TakeConnectOption(ctx.args, i, connect, error)) continue;
        if (action == "set" && a == "--to-computer") {
            toComputer = true;
        } else if (action == "set" && a == "--time") {
            if (i + 1 >= ctx.args.size() || !ReadClockSetting(ctx.args[i + 1], time)) {
                error = "--time needs a date and time \"MM/DD/YY HH:MM:SS\"";
            } else {
                timeText = ctx.args[++i];
                const std::string wrong = CalendarTimeError(time);
                if (!wrong.empty()) error = "--time \"" + timeText + "\": " + wrong;
            }
        } else {
            error = "unknown option " + a;
        }
    }
    if (error.empty() && toComputer && !timeText.empty()) {
        error = "--to-computer and --time exclude each other";
    }
    if (error.empty()) error = CheckConnectOptions(connect);
    if (!error.empty()) {
        ctx.err << "clock: " << error << "\n" << WithConnectHelp(kClockHelp);
        return 2;
    }

    CliPrompter prompter(ctx.err);
    InstrumentSession session(ctx, prompter);
    if (!session.Connect(connect)) return 1;
    ProgramState& program = session.program();
    InstrumentRecord& r = session.record();
    const int slot = InstrumentSession::kSlot;
    if (action == "set") {
        const double date = timeText.empty() ? program.Now() : DateTimeValue(time);
        if (!SetInstrumentClock(program, slot, date)) return 1;
        WaitOutputSent(session.waiter(), r, LinkLost(r));
    }
    if (!ReadInstrumentClock(program, session.waiter(), slot)) {
        ctx.err << "clock: the " << r.modelName << " did not tell its time\n";
        return 1;
    }
    ctx.out << ClockJson(program, r) << '\n';
    return 0;
}

int RunSleep(CliContext& ctx) {
    if (WantsHelp(ctx.args)) {
        ctx.out << WithConnectHelp(kSleepHelp);
        return 0;
    }
    ConnectOptions connect;
    std::string error;
    for (size_t i = 0; i < ctx.args.size() && error.empty(); ++i) {
        if (!TakeConnectOption(ctx.args, i, connect, error))
            error = "unknown option " + ctx.args[i];
    }
    if (error.empty()) error = CheckConnectOptions(connect);
    if (!error.empty()) {
        ctx.err << "sleep: " << error << "\n" << WithConnectHelp(kSleepHelp);
        return 2;
    }
    CliPrompter prompter(ctx.err);
    InstrumentSession session(ctx, prompter);
    if (!session.Connect(connect)) return 1;
    InstrumentRecord& r = session.record();
    if (!SleepInstrument(session.program(), session.waiter(), InstrumentSession::kSlot)) {
        ctx.err << "sleep: the " << r.modelName << " did not say it sleeps\n";
        return 1;
    }
    ctx.out << JsonObject()
                   .Str("model", r.modelName)
                   .Str("serial", r.serialNumber)
                   .Bool("sleeping", true)
                   .Text()
            << '\n';
    return 0;
}

namespace {

// The reset's progress window: a line on the terminal; Stop is SIGINT or SIGTERM.
class TerminalResetView : public ResetView {
  public:
    TerminalResetView(CliContext& ctx, CliPrompter& prompter) : line_(ctx, prompter) {}
    void Progress(double fraction, const std::string& text) override {
        if (text == last_) return;
        last_ = text;
        line_.Show(fraction, text);
    }
    void Close() override { line_.Done(); }
    bool StopPressed() override { return InstrumentSession::StopRequested(); }

  private:
    ProgressLine line_;
    std::string last_;
};

}  // namespace

int RunReset(CliContext& ctx) {
    if (WantsHelp(ctx.args)) {
        ctx.out << kResetHelp;
        return 0;
    }
    std::string port, error;
    double seconds = kDefaultResetSeconds;
    for (size_t i = 0; i < ctx.args.size() && error.empty(); ++i) {
        const std::string& a = ctx.args[i];
        if ((a == "--port" || a == "--seconds") && i + 1 >= ctx.args.size()) {
            error = a + " needs a value";
        } else if (a == "--port") {
            port = ctx.args[++i];
        } else if (a == "--seconds") {
            if (!ReadWholeDecimal(ctx.args[++i], seconds) || seconds <= 0) {
                error = "--seconds must be a number above 0";
            }
        } else {
            error = "unknown option " + a;
        }
    }
    if (error.empty() && port.empty()) error = "--port DEV is needed";
    if (!error.empty()) {
        ctx.err << "reset: " << error << "\n" << kResetHelp;
        return 2;
    }
    // nothing to connect to afterwards: the question is answered "No"
    CliPrompter prompter(ctx.err);
    InstrumentSession session(ctx, prompter);
    TerminalResetView view(ctx, prompter);
    const ResetResult result = ResetInstrument(session.program(), session.waiter(),
                                               InstrumentSession::kSlot, port, seconds, view);
    return result == ResetResult::kDone || result == ResetResult::kConnected ? 0 : 1;
}

}  // namespace tidewell::cli
