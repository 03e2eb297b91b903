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
    "default) or to the time given, then reads it back and prints it as get does.\n"
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

bool WantsHelp(const CliContext& ctx) {
    for (const std::string& a : ctx.args)
        if (a == "--help" || a == "-h") return true;
    return false;
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

}  // namespace

int RunClock(CliContext& ctx) {
    if (WantsHelp(ctx)) {
        ctx.out << WithConnectHelp(kClockHelp);
        return 0;
    }
    ConnectOptions connect;
    std::string error;
    std::string action = ctx.args.empty() ? std::string() : ctx.args[0];
    bool toComputer = false;
    std::string timeText;
    if (action != "get" && action != "set") {
        error = action.empty() ? "get or set is needed" : "unknown action " + action;
    }
    for (size_t i = 1; i < ctx.args.size() && error.empty(); ++i) {
        const std::string& a = ctx.args[i];
        if (TakeConnectOption(ctx.args, i, connect, error)) continue;
        double date = 0;
        if (action == "set" && a == "--to-computer") {
            toComputer = true;
        } else if (action == "set" && a == "--time") {
            if (i + 1 >= ctx.args.size() || !ReadInstrumentDateTime(ctx.args[i + 1], date)) {
                error = "--time needs a date and time \"MM/DD/YY HH:MM:SS\"";
            } else {
                timeText = ctx.args[++i];
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
        double date = program.Now();
        if (!timeText.empty()) ReadInstrumentDateTime(timeText, date);
        if (!SetInstrumentClock(program, slot, date)) return 1;
        session.waiter().WaitUntil([&r] { return r.outputQueue.empty(); }, OutputDrainSeconds(r),
                                   LinkLost(r));
    }
    if (!ReadInstrumentClock(program, session.waiter(), slot)) {
        ctx.err << "clock: the " << r.modelName << " did not tell its time\n";
        return 1;
    }
    ctx.out << ClockJson(program, r) << '\n';
    return 0;
}

int RunSleep(CliContext& ctx) {
    if (WantsHelp(ctx)) {
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
    if (WantsHelp(ctx)) {
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
