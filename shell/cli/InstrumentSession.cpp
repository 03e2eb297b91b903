#include "shell/cli/InstrumentSession.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csignal>
#include <ostream>

#include "files/FilePaths.h"
#include "instrument/Commands.h"
#include "instrument/Connection.h"
#include "instrument/OperationWaits.h"
#include "settings/SettingsKeys.h"
#include "stream/NumberText.h"

namespace tidewell::cli {

namespace {

std::atomic<bool> gStopRequested{false};
// The signal handler's byte wakes the event loop: a program asleep until input comes hears it.
int gStopPipe[2] = {-1, -1};

void OnStopSignal(int) {
    gStopRequested = true;
    if (gStopPipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = write(gStopPipe[1], &byte, 1);
    }
}

constexpr int kBarWidth = 30;

}  // namespace

// While it lives, SIGINT and SIGTERM set the stop request, which is passed on to the program as
// the Cancel button would (the program-wide cancel flag and the slot's cancel request) as soon
// as the event loop runs, and again when the waits are made to give up on a stop.
class StopWatch {
  public:
    explicit StopWatch(ProgramState& program) : program_(program) {
        gStopRequested = false;
        if (gStopPipe[0] < 0 && pipe2(gStopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            gStopPipe[0] = gStopPipe[1] = -1;
        if (gStopPipe[0] >= 0) {
            notifier_ = std::make_unique<QSocketNotifier>(gStopPipe[0], QSocketNotifier::Read);
            QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
                char bytes[16];
                while (read(gStopPipe[0], bytes, sizeof bytes) > 0) {
                }
                PassOn();
            });
        }
        previousInt_ = std::signal(SIGINT, OnStopSignal);
        previousTerm_ = std::signal(SIGTERM, OnStopSignal);
    }
    ~StopWatch() {
        std::signal(SIGINT, previousInt_);
        std::signal(SIGTERM, previousTerm_);
    }

    void CancelOnStop(bool on) {
        cancelOnStop_ = on;
        PassOn();
    }

  private:
    void PassOn() {
        if (!gStopRequested || !cancelOnStop_) return;
        program_.cancelFlag = -1;
        program_.Slot(InstrumentSession::kSlot).cancelRequest = kCancelRequested;
    }

    ProgramState& program_;
    bool cancelOnStop_ = true;
    std::unique_ptr<QSocketNotifier> notifier_;
    void (*previousInt_)(int) = SIG_DFL;
    void (*previousTerm_)(int) = SIG_DFL;
};

const char* const kConnectOptionsHelp =
    "  --port DEV       the serial device (a system port or a simulator's pseudo-terminal)\n"
    "  --baud N         the rate (4800 9600 19200 38400 57600 115200); default: the stored\n"
    "                   connection rate (Connection/Baud)\n"
    "  --search         try the rates 19200, 9600, 38400, 57600, 4800 on DEV in turn; without\n"
    "                   --port, on every serial port of the system\n"
    "  --cal FILE       the calibration of the instrument; default: read from the instrument\n";

bool TakeConnectOption(const std::vector<std::string>& args, size_t& i, ConnectOptions& o,
                       std::string& error) {
    const std::string& a = args[i];
    if (a != "--port" && a != "--baud" && a != "--search" && a != "--cal") return false;
    if (a == "--search") {
        o.search = true;
        return true;
    }
    if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return true;
    }
    const std::string& v = args[++i];
    if (a == "--port") {
        o.port = v;
    } else if (a == "--cal") {
        o.calFile = v;
    } else {
        double rate = 0;
        if (!ReadWholeDecimal(v, rate) || rate != static_cast<int32_t>(rate) ||
            !IsAllowedBaudRate(static_cast<int32_t>(rate))) {
            error = "--baud must be one of 4800 9600 19200 38400 57600 115200";
        } else {
            o.baud = static_cast<int32_t>(rate);
        }
    }
    return true;
}

std::string CheckConnectOptions(const ConnectOptions& o, bool portRequired) {
    if (o.port.empty() && (portRequired || !o.search)) {
        return portRequired ? "--port DEV is needed" : "--port DEV is needed (or --search)";
    }
    if (o.search && o.baud != 0) return "--baud and --search exclude each other";
    return "";
}

void CliPrompter::ShowMessage(const std::string& text) {
    shown_.push_back(text);
    if (progressShown) err_ << '\n';
    progressShown = false;
    err_ << text << '\n';
    err_.flush();
}

int CliPrompter::Ask(const std::string& text, const std::vector<std::string>& buttons) {
    size_t last = 0;
    for (size_t i = 0; i < buttons.size() && i < 3; ++i)
        if (!buttons[i].empty()) last = i;
    int answer = answer_ ? answer_(text) : 2;
    if (answer == 2) {
        answer = last == 0 ? 1 : last == 1 ? 0 : -1;
        if (text.rfind("The connected instrument's serial number (", 0) == 0) answer = 0;
    }
    const size_t index = answer == 1 ? 0 : answer == 0 ? 1 : 2;
    shown_.push_back(text);
    if (progressShown) err_ << '\n';
    progressShown = false;
    err_ << text << " [" << (index < buttons.size() ? buttons[index] : std::string()) << "]\n";
    err_.flush();
    return answer;
}

std::string CliPrompter::AskSavePath(const std::string&, const std::string& suggestedPath,
                                     const std::string&) {
    return suggestedPath;
}

void ProgressLine::Show(double fraction, const std::string& text) {
    fraction = fraction < 0 ? 0 : fraction > 1 ? 1 : fraction;
    if (!ctx_.errIsTerminal) {
        const int tenth = static_cast<int>(fraction * 10);
        if (tenth <= tenthShown_) return;
        tenthShown_ = tenth;
        ctx_.err << text << '\n';
        ctx_.err.flush();
        return;
    }
    const int filled = static_cast<int>(fraction * kBarWidth);
    ctx_.err << "\r[" << std::string(static_cast<size_t>(filled), '#')
             << std::string(static_cast<size_t>(kBarWidth - filled), ' ') << "] " << text
             << "\x1b[K";
    ctx_.err.flush();
    prompter_.progressShown = true;
}

void ProgressLine::Done() {
    tenthShown_ = -1;
    if (!prompter_.progressShown) return;
    ctx_.err << '\n';
    ctx_.err.flush();
    prompter_.progressShown = false;
}

InstrumentSession::InstrumentSession(CliContext& ctx, CliPrompter& prompter)
    : ctx_(ctx),
      settings_(LoadHeadlessSettings(store_, ctx.err)),
      program_(clock_, prompter, store_),
      waiter_(clock_),
      connection_(program_, waiter_),
      timer_(program_, kSlot),
      recording_{prompter, clock_, recordingSettings_,
                 [this] { return WithTrailingSeparator(program_.settings.TempPath); }} {
    program_.settings = settings_.loaded.settings;
    connection_.tables = settings_.tables;
    // the process number keeps the temporary files of several copies apart
    connection_.instance = static_cast<int>(getpid());
    recordingSettings_.header = settings_.header;
    recordingSettings_.instance = connection_.instance;
    stopWatch_ = std::make_unique<StopWatch>(program_);
    // ticks when input comes or something is under way; none while the line is quiet
    timer_.StartOnDemand([this] { return waiter_.Waiting(); });
}

InstrumentSession::~InstrumentSession() {
    Disconnect();
}

void InstrumentSession::KeepWaitsOnStop() {
    stopWatch_->CancelOnStop(false);
}

void InstrumentSession::CancelWaitsOnStop() {
    stopWatch_->CancelOnStop(true);
}

void InstrumentSession::RunEvents(double seconds) {
    QTimer limit;
    limit.setSingleShot(true);
    if (seconds < 0) seconds = 0;
    limit.start(static_cast<int>(std::ceil(std::min(seconds, 3600.0) * 1000)));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool InstrumentSession::StopRequested() {
    return gStopRequested;
}

bool InstrumentSession::Connect(const ConnectOptions& o) {
    InstrumentRecord& r = record();
    if (!o.calFile.empty()) {
        const std::string problem =
            LoadUsableCalibration(o.calFile, program_.settings.Sigma, settings_.tables,
                                  program_.prompter, r.Calibration());
        if (!problem.empty()) {
            ctx_.err << "The calibration file " << o.calFile << " cannot be used: " << problem
                     << ".\n";
            return false;
        }
        r.calibrationLoaded = true;
    }
    connection_.loadCalFromInstrument = o.calFile.empty();
    const int32_t baud = o.baud > 0 ? o.baud : static_cast<int32_t>(ReadNumber(store_, keys::Baud));
    if (o.type >= 0) return OpenWithoutIdentifying(connection_, kSlot, o.port, baud, o.type);
    const std::vector<std::string> ports =
        o.search ? (o.port.empty() ? SerialPortList() : std::vector<std::string>{o.port})
                 : std::vector<std::string>{};
    return DoConnect(connection_, kSlot, o.search, o.port, baud, ports);
}

void InstrumentSession::Disconnect() {
    InstrumentRecord& r = record();
    if (!r.PortOpen()) return;
    // a stop or a setting still queued reaches the instrument before the port closes, also
    // after SIGINT
    WaitOutputSent(waiter_, r);
    tidewell::Disconnect(connection_, kSlot);
}

bool ParseNumberList(const std::string& text, std::vector<int64_t>& numbers) {
    numbers.clear();
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string part =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        double value = 0;
        if (!ReadWholeDecimal(part, value) || value < 0 || value != static_cast<int64_t>(value)) {
            return false;
        }
        numbers.push_back(static_cast<int64_t>(value));
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

}  // namespace tidewell::cli
