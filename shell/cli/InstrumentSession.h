#pragma once
// What the headless instrument subcommands share: the connection flags (--port, --baud,
// --search, --cal), a program state whose slot 0 is connected as the connection dialog would
// connect it, with its input tick running, and a prompter that prints every message and
// question on the error stream and answers the questions from the command's flags.
//
// SIGINT and SIGTERM act as the Stop and Cancel buttons: the waits give up, a download stops.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "files/Recording.h"
#include "instrument/ConnectionContext.h"
#include "instrument/InputTimer.h"
#include "instrument/ProgramState.h"
#include "instrument/Waiter.h"
#include "shell/Headless.h"
#include "shell/QtSettingsStore.h"
#include "shell/cli/Subcommands.h"
#include "stream/Clock.h"
#include "stream/Prompter.h"

namespace tidewell::cli {

struct ConnectOptions {
    std::string port;
    int32_t baud = 0;  // 0: the stored connection rate
    bool search = false;
    std::string calFile;  // "": the calibration is read from the instrument
    int type = -1;        // 0 and up: the port is opened without identifying, taking this model
};

// The help lines of the connection flags.
extern const char* const kConnectOptionsHelp;

// Takes the connection flag at args[i] and its value, moving i past them. False when args[i] is
// no connection flag, or when its value is wrong (`error` then tells why).
bool TakeConnectOption(const std::vector<std::string>& args, size_t& i, ConnectOptions& options,
                       std::string& error);
// "" when the flags go together, else what is wrong. `portRequired`: --search is not enough.
std::string CheckConnectOptions(const ConnectOptions& options, bool portRequired = false);

// Messages go to the stream as one line each; a question is printed with the caption of the
// answer given. `answer` chooses it (1, 0 or -1 for the first, second or third button); without
// one, and for a question it leaves alone (it returns 2), the last button is taken ("Cancel",
// "No"), except that an instrument whose serial number differs from its calibration's keeps
// the calibration given ("Use Current").
class CliPrompter : public Prompter {
  public:
    using Answer = std::function<int(const std::string& text)>;
    CliPrompter(std::ostream& err, Answer answer = {}) : err_(err), answer_(std::move(answer)) {}

    void ShowMessage(const std::string& text) override;
    int Ask(const std::string& text, const std::vector<std::string>& buttons) override;
    std::string AskSavePath(const std::string& title, const std::string& suggestedPath,
                            const std::string& fileTypes) override;

    // Every text shown, in order (the last one is what a failure reports).
    const std::vector<std::string>& shown() const { return shown_; }
    // A progress line is on the terminal: the next message starts on a line of its own.
    bool progressShown = false;

  private:
    std::ostream& err_;
    Answer answer_;
    std::vector<std::string> shown_;
};

// Progress on stderr: on a terminal a text bar on one line, redrawn in place; elsewhere (a log
// file, a pipe) the text as a plain line, the first time and then each time the fraction
// reaches a further tenth.
class ProgressLine {
  public:
    ProgressLine(CliContext& ctx, CliPrompter& prompter) : ctx_(ctx), prompter_(prompter) {}
    // `fraction` 0-1 of the bar, then the text.
    void Show(double fraction, const std::string& text);
    // Ends the line; the next Show starts another.
    void Done();

  private:
    CliContext& ctx_;
    CliPrompter& prompter_;
    int tenthShown_ = -1;  // plain lines: the tenth of the last one
};

// Slot 0 of a program state, connected headless.
class InstrumentSession {
  public:
    static constexpr int kSlot = 0;

    InstrumentSession(CliContext& ctx, CliPrompter& prompter);
    ~InstrumentSession();
    InstrumentSession(const InstrumentSession&) = delete;
    InstrumentSession& operator=(const InstrumentSession&) = delete;

    // The connection dialog's connect: the search or the port at its rate, then the
    // calibration (the file given, else read from the instrument). False with the program's
    // message already shown.
    bool Connect(const ConnectOptions& options);
    // Closes the port once the queued output has gone out (the instrument is left as it is).
    void Disconnect();
    // From now on a signal only sets StopRequested(): the waits that follow (stopping the
    // instrument, putting it to sleep) run to their end.
    void KeepWaitsOnStop();
    // A signal gives up the waits again, as while the first connection is made.
    void CancelWaitsOnStop();

    ProgramState& program() { return program_; }
    Waiter& waiter() { return waiter_; }
    ConnectionContext& connection() { return connection_; }
    InstrumentRecord& record() { return program_.Slot(kSlot); }
    RecordingContext& recording() { return recording_; }
    // SIGINT or SIGTERM came.
    static bool StopRequested();
    // Runs the event loop until at least one event (input, a tick, a signal) has been handled,
    // or `seconds` have passed. Outside the waits, the program sleeps here while the line is
    // quiet.
    void RunEvents(double seconds);

  private:
    CliContext& ctx_;
    QtSettingsStore store_;
    HeadlessSettings settings_;
    SystemClock clock_;
    ProgramState program_;
    EventLoopWaiter waiter_;
    ConnectionContext connection_;
    InputTimer timer_;
    RecordingSettings recordingSettings_;
    RecordingContext recording_;
    std::unique_ptr<class StopWatch> stopWatch_;
};

// Splits "3,5,9" into cast numbers; false on anything else.
bool ParseNumberList(const std::string& text, std::vector<int64_t>& numbers);

}  // namespace tidewell::cli
