// `tidewell record`: the headless field recorder. Connects to an instrument as the connection
// dialog would, starts it sampling, records the raw stream and the calibrated values, shows a
// one-line status on stderr, and on a signal or at the end of the duration stops the
// instrument, saves the files and disconnects.

#include <unistd.h>

#include <QTimer>

#include <atomic>
#include <csignal>
#include <ostream>
#include <string>
#include <vector>

#include "calibration/CalibrationData.h"
#include "files/FilePaths.h"
#include "files/Recording.h"
#include "instrument/Commands.h"
#include "instrument/Connection.h"
#include "instrument/InputTimer.h"
#include "instrument/ProgramState.h"
#include "instrument/Waiter.h"
#include "shell/Headless.h"
#include "shell/QtSettingsStore.h"
#include "shell/SettingsKeys.h"
#include "shell/cli/Subcommands.h"
#include "stream/LinkState.h"
#include "stream/NumberText.h"

namespace tidewell::cli {

namespace {

constexpr const char* kHelp =
    "Usage: tidewell record --port DEV [--baud N | --search] [--cal FILE | --cal-from-instrument]\n"
    "                       --out BASE [--duration SECONDS] [--save-every SECONDS]\n"
    "                       [--sleep-on-exit] [--type MODEL] [--overwrite]\n"
    "\n"
    "Connects to the instrument on DEV, starts it sampling and records BASE.raw (everything it\n"
    "sends) and BASE.dat (the calibrated values). Both are written to temporary files and saved\n"
    "under their names every --save-every seconds and at the end. The instrument is stopped,\n"
    "the files saved and the port closed at the end of --duration, or on SIGINT or SIGTERM\n"
    "(without --duration the recording runs until then).\n"
    "\n"
    "  --port DEV             the serial device (a system port or a simulator's pseudo-terminal)\n"
    "  --baud N               the rate (4800 9600 19200 38400 57600 115200); default: the\n"
    "                         stored connection rate (Connection/Baud, 9600 when none)\n"
    "  --search               try the rates 19200, 9600, 38400, 57600, 4800 on DEV in turn;\n"
    "                         without --port, on every serial port of the system\n"
    "  --cal FILE             convert with this calibration file\n"
    "  --cal-from-instrument  read the calibration from the instrument (the default)\n"
    "  --type MODEL           open the port without identifying the instrument, taking it to\n"
    "                         be MODEL (vantor-6 ... trevan-2); needs --cal and --port\n"
    "  --duration SECONDS     stop after this time\n"
    "  --save-every SECONDS   save the files at this interval as well as at the end\n"
    "  --sleep-on-exit        put the instrument to sleep before disconnecting\n"
    "  --overwrite            replace BASE.raw and BASE.dat when they exist\n"
    "\n"
    "Questions a window would ask are answered without asking:\n"
    "  - the instrument's serial number differs from the calibration's: use the calibration\n"
    "    given (\"Use Current\");\n"
    "  - some calibration information did not load: do not try again (the command fails);\n"
    "  - the calibration is due: the reminder is printed and shows again the next day;\n"
    "  - put the instrument to sleep before disconnecting: only with --sleep-on-exit;\n"
    "  - the instrument did not confirm the sleep command: disconnect anyway;\n"
    "  - BASE.raw or BASE.dat exists: do not replace it (the command fails) unless --overwrite.\n"
    "Messages are printed on stderr; the exit status is 0 when the recording was saved, 1 when\n"
    "the instrument could not be connected or the files not written, 2 for a usage error.\n";

std::atomic<bool> gStopRequested{false};

void OnStopSignal(int) {
    gStopRequested = true;
}

struct RecordOptions {
    std::string port;
    int32_t baud = 0;  // 0: the stored rate
    bool search = false;
    std::string calFile;
    bool calFromInstrument = false;
    int type = -1;  // open without identifying
    std::string base;
    double duration = 0;   // 0: until a signal
    double saveEvery = 0;  // 0: only at the end
    bool sleepOnExit = false;
    bool overwrite = false;
};

bool PositiveNumber(const std::string& text, double& value) {
    return ReadWholeDecimal(text, value) && value > 0;
}

// False with a message on a bad command line.
bool ParseRecordOptions(const std::vector<std::string>& args, RecordOptions& o,
                        std::string& error) {
    bool baudGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        double number = 0;
        if (a == "--port") {
            if (!value(o.port)) return false;
        } else if (a == "--baud") {
            if (!value(v)) return false;
            if (!ReadWholeDecimal(v, number) || !IsAllowedBaudRate(static_cast<int32_t>(number)) ||
                number != static_cast<int32_t>(number)) {
                error = "--baud must be one of 4800 9600 19200 38400 57600 115200";
                return false;
            }
            o.baud = static_cast<int32_t>(number);
            baudGiven = true;
        } else if (a == "--search") {
            o.search = true;
        } else if (a == "--cal") {
            if (!value(o.calFile)) return false;
        } else if (a == "--cal-from-instrument") {
            o.calFromInstrument = true;
        } else if (a == "--type") {
            if (!value(v)) return false;
            o.type = ModelCode(v);
            if (o.type > kTrevan2) {
                error =
                    "--type must name a model: vantor-6 vantor-4 vantor-2 a-lumo c-lumo "
                    "x-lumo trevan-2";
                return false;
            }
        } else if (a == "--out") {
            if (!value(o.base)) return false;
        } else if (a == "--duration") {
            if (!value(v) || !PositiveNumber(v, o.duration)) {
                error = "--duration must be a number of seconds above 0";
                return false;
            }
        } else if (a == "--save-every") {
            if (!value(v) || !PositiveNumber(v, o.saveEvery)) {
                error = "--save-every must be a number of seconds above 0";
                return false;
            }
        } else if (a == "--sleep-on-exit") {
            o.sleepOnExit = true;
        } else if (a == "--overwrite") {
            o.overwrite = true;
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    if (o.base.empty())
        error = "--out BASE is needed";
    else if (o.port.empty() && !o.search)
        error = "--port DEV is needed (or --search)";
    else if (baudGiven && o.search)
        error = "--baud and --search exclude each other";
    else if (!o.calFile.empty() && o.calFromInstrument)
        error = "--cal and --cal-from-instrument exclude each other";
    else if (o.type >= 0 && (o.calFile.empty() || o.search || o.port.empty()))
        error = "--type needs --cal and --port, and no --search";
    return error.empty();
}

// Messages on stderr; each question answered as the help text says, and shown with its answer.
class RecordPrompter : public Prompter {
  public:
    RecordPrompter(std::ostream& err, bool sleepOnExit) : err_(err), sleepOnExit_(sleepOnExit) {}

    void ShowMessage(const std::string& text) override {
        Interrupt();
        err_ << text << '\n';
        err_.flush();
    }
    int Ask(const std::string& text, const std::vector<std::string>& buttons) override {
        int answer = LastButton(buttons);
        if (text.rfind("The connected instrument's serial number (", 0) == 0) {
            answer = 0;  // "Use Current"
        } else if (text == kSleepNotConfirmedQuestion) {
            answer = 1;  // disconnect anyway
        } else if (text.rfind("Put the ", 0) == 0 &&
                   text.find(" to sleep before disconnecting?") != std::string::npos) {
            answer = sleepOnExit_ ? 1 : 0;
        }
        const size_t index = answer == 1 ? 0 : answer == 0 ? 1 : 2;
        Interrupt();
        err_ << text << " [" << (index < buttons.size() ? buttons[index] : std::string()) << "]\n";
        err_.flush();
        return answer;
    }
    std::string AskSavePath(const std::string&, const std::string& suggested,
                            const std::string&) override {
        return suggested;
    }

    // A status line is on the terminal: a message first ends it.
    bool statusShown = false;

  private:
    // The last caption given: "Cancel" or "No" where there is one.
    static int LastButton(const std::vector<std::string>& buttons) {
        size_t last = 0;
        for (size_t i = 0; i < buttons.size() && i < 3; ++i)
            if (!buttons[i].empty()) last = i;
        return last == 0 ? 1 : last == 1 ? 0 : -1;
    }
    void Interrupt() {
        if (statusShown) err_ << '\n';
        statusShown = false;
    }

    std::ostream& err_;
    bool sleepOnExit_;
};

// The status: link state, samples received and the last calibrated values.
std::string StatusLine(const InstrumentRecord& r) {
    std::string s = LinkStatusText(r.link.state, r.link.countdown).value_or("");
    s += "  samples " + PlainInt(r.sampleCount);
    const int scattering = ScatteringChannelCount(r.instrumentType);
    if (r.sampleCount > 0 && scattering > 0) {
        s += "  bb";
        for (int c = 0; c < scattering; ++c) s += " " + FormatSignificant(r.converted.bb[c], 4);
    } else if (r.sampleCount > 0 && IsTrevan(r.instrumentType)) {
        s += "  c";
        for (int c = 0; c < AttenuationChannelCount(r.instrumentType); ++c)
            s += " " + FormatSignificant(r.converted.attenuation[c], 4);
    }
    return s;
}

class Recorder {
  public:
    Recorder(CliContext& ctx, const RecordOptions& o)
        : ctx_(ctx),
          o_(o),
          settings_(LoadHeadlessSettings(store_, ctx.err)),
          prompter_(ctx.err, o.sleepOnExit),
          program_(clock_, prompter_, store_),
          waiter_(clock_),
          connection_(program_, waiter_),
          timer_(program_, 0),
          recording_{prompter_, clock_, recordingSettings_,
                     [this] { return WithTrailingSeparator(program_.settings.TempPath); }} {
        program_.settings = settings_.loaded.settings;
        connection_.tables = settings_.tables;
        // the process number keeps the temporary files of several recorders apart
        connection_.instance = static_cast<int>(getpid());
        recordingSettings_.header = settings_.header;
        recordingSettings_.instance = connection_.instance;
    }

    int Run() {
        const std::string raw = o_.base + ".raw", dat = o_.base + ".dat";
        if (!o_.overwrite && (FileExists(raw) || FileExists(dat))) {
            ctx_.err << (FileExists(raw) ? raw : dat)
                     << " already exists.  Use --overwrite to replace it.\n";
            return 1;
        }
        InstrumentRecord& r = program_.Slot(0);
        if (!o_.calFile.empty()) {
            if (!r.Calibration().SetSourceFile(o_.calFile, program_.settings.Sigma,
                                               settings_.tables, prompter_)) {
                ctx_.err << "The calibration file " << o_.calFile << " could not be read.\n";
                return 1;
            }
            r.calibrationLoaded = true;
        }
        connection_.loadCalFromInstrument = o_.calFile.empty();
        timer_.Start();
        if (!Connect()) return 1;

        r.SyncRecordingWindow();
        OpenDataFiles(r.recording, "raw", true, recording_);
        DataFileState& files = r.recording.files;
        if (!files.rawFile.IsOpen() && !files.datFile.IsOpen()) {
            DisconnectCommand(connection_, 0);
            return 1;
        }
        files.rawName = raw;
        files.datName = dat;
        files.unnamed = false;
        SendCommand(program_, "START", 0);

        const int status = Record();
        Stop();
        const int saved = Save();
        ShowStatus(true);
        DisconnectCommand(connection_, 0);
        r.SyncRecordingWindow();
        CloseDataFiles(r.recording, true, recording_);
        return saved == 1 && status == 0 ? 0 : 1;
    }

  private:
    bool Connect() {
        // a signal while connecting is the dialog's Stop button
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [this] {
            if (gStopRequested) program_.Slot(0).cancelRequest = kCancelRequested;
        });
        watch.start(kInputTimerMilliseconds);
        const int32_t baud =
            o_.baud > 0 ? o_.baud : static_cast<int32_t>(ReadNumber(store_, keys::Baud));
        if (o_.type >= 0) return OpenWithoutIdentifying(connection_, 0, o_.port, baud, o_.type);
        const std::vector<std::string> ports =
            o_.search ? (o_.port.empty() ? SerialPortList() : std::vector<std::string>{o_.port})
                      : std::vector<std::string>{};
        return DoConnect(connection_, 0, o_.search, o_.port, baud, ports);
    }

    // Records until the duration ends or a signal comes, saving at the interval asked.
    int Record() {
        const double start = clock_.Now();
        double lastSave = start;
        double lastStatus = start;
        InstrumentRecord& r = program_.Slot(0);
        while (!gStopRequested) {
            waiter_.WaitUntil([] { return gStopRequested.load(); }, 0.25);
            const double now = clock_.Now();
            if (o_.duration > 0 && (now - start) * 86400 >= o_.duration) break;
            if (o_.saveEvery > 0 && (now - lastSave) * 86400 >= o_.saveEvery) {
                lastSave = now;
                if (Save() != 1) return 1;
            }
            // on a terminal the line is redrawn; in a log one line now and then
            if (ctx_.errIsTerminal || (now - lastStatus) * 86400 >= 10) {
                lastStatus = now;
                ShowStatus(false);
            }
            if (!r.PortOpen()) {
                ctx_.err << "The port " << o_.port << " closed.\n";
                return 1;
            }
        }
        return 0;
    }

    // Stops the instrument and waits until it says so (its shutter closed), so that the last
    // samples are in the files.
    void Stop() {
        InstrumentRecord& r = program_.Slot(0);
        if (!r.PortOpen()) return;
        SendCommand(program_, "STOP", 0);
        waiter_.WaitUntil([&r] { return r.outputQueue.empty() && r.link.state == kLinkStopped; },
                          5);
    }

    int Save() {
        InstrumentRecord& r = program_.Slot(0);
        r.SyncRecordingWindow();
        return SaveFileMenuCommand(r.recording, recording_);
    }

    void ShowStatus(bool final) {
        const std::string line = StatusLine(program_.Slot(0));
        if (ctx_.errIsTerminal && !final) {
            ctx_.err << '\r' << line << "\x1b[K";
            prompter_.statusShown = true;
        } else {
            if (prompter_.statusShown) ctx_.err << '\r';
            ctx_.err << line << (ctx_.errIsTerminal ? "\x1b[K\n" : "\n");
            prompter_.statusShown = false;
        }
        ctx_.err.flush();
    }

    CliContext& ctx_;
    const RecordOptions& o_;
    QtSettingsStore store_;
    HeadlessSettings settings_;
    SystemClock clock_;
    RecordPrompter prompter_;
    ProgramState program_;
    EventLoopWaiter waiter_;
    ConnectionContext connection_;
    InputTimer timer_;
    RecordingSettings recordingSettings_;
    RecordingContext recording_;
};

}  // namespace

int RunRecord(CliContext& ctx) {
    for (const std::string& a : ctx.args) {
        if (a == "--help" || a == "-h") {
            ctx.out << kHelp;
            return 0;
        }
    }
    RecordOptions options;
    std::string error;
    if (!ParseRecordOptions(ctx.args, options, error)) {
        ctx.err << "record: " << error << "\n" << kHelp;
        return 2;
    }
    gStopRequested = false;
    auto previousInt = std::signal(SIGINT, OnStopSignal);
    auto previousTerm = std::signal(SIGTERM, OnStopSignal);
    int result = 1;
    {
        Recorder recorder(ctx, options);
        result = recorder.Run();
    }
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
    return result;
}

}  // namespace tidewell::cli
