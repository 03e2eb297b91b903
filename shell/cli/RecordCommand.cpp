// `tidewell record`: the headless field recorder. Connects to an instrument as the connection
// dialog would, starts it sampling, records the raw stream and the calibrated values, shows a
// one-line status on stderr, and on a signal or at the end of the duration stops the
// instrument, saves the files and disconnects. A lost link ends the recording, or with
// --reconnect is waited out.

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "files/FilePaths.h"
#include "files/HeaderText.h"
#include "files/Recording.h"
#include "instrument/Commands.h"
#include "instrument/Connection.h"
#include "instrument/QtSerialPortIo.h"
#include "shell/cli/InstrumentSession.h"
#include "shell/cli/Subcommands.h"
#include "stream/LinkState.h"
#include "stream/NumberText.h"

namespace tidewell::cli {

namespace {

constexpr const char* kHelp =
    "Usage: tidewell record --port DEV [--baud N | --search] [--cal FILE | --cal-from-instrument]\n"
    "                       --out BASE [--duration SECONDS] [--save-every SECONDS]\n"
    "                       [--sleep-on-exit] [--type MODEL] [--overwrite] [--reconnect]\n"
    "\n"
    "Connects to the instrument on DEV, starts it sampling and records BASE.raw (everything it\n"
    "sends) and BASE.dat (the calibrated values). Both are written to temporary files, whose\n"
    "paths are printed when recording starts and which are written out every 2 seconds, and\n"
    "saved under their names every --save-every seconds and at the end. The instrument is\n"
    "stopped, the files saved and the port closed at the end of --duration, or on SIGINT or\n"
    "SIGTERM (without --duration the recording runs until then). BASE's folder is made when\n"
    "missing and must be writable before the instrument is connected.\n"
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
    "                         (default 30)\n"
    "  --sleep-on-exit        put the instrument to sleep before disconnecting\n"
    "  --overwrite            replace BASE.raw and BASE.dat when they exist\n"
    "  --reconnect            when the link is lost (the device is unplugged or hangs up), save,\n"
    "                         keep the files open, wait for DEV to come back at the same path,\n"
    "                         connect as at the start and go on recording into the same files;\n"
    "                         each gap is noted on stderr. A signal or the end of --duration\n"
    "                         still ends the recording while it waits; another instrument at\n"
    "                         DEV ends it with status 1. Without --reconnect a lost link saves\n"
    "                         the files and ends the recording with status 1\n"
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
    "the instrument could not be connected, the link was lost (without --reconnect) or the files\n"
    "not written, 2 for a usage error. A failed write or save ends the recording; a temporary\n"
    "file that could not be saved is kept, and its path is printed.\n"
    "\n"
    "The status line on stderr shows the link state, the samples written to BASE.dat, the lines\n"
    "that gave no sample (packets with a bad checksum, lines of no known kind such as the\n"
    "instrument's prompts and replies, lines over 1 MiB) and the last calibrated values (bb or\n"
    "c, in 1/m). When the files are saved, one line on stdout says which, with the lines read,\n"
    "the samples written and the lines that gave no sample.\n";

struct RecordOptions {
    ConnectOptions connect;
    bool calFromInstrument = false;
    std::string base;
    double duration = 0;  // 0: until a signal
    double saveEvery = 30;
    bool sleepOnExit = false;
    bool overwrite = false;
    bool reconnect = false;  // wait out a lost link
};

constexpr double kSecondsPerDay = 86400;
// How often the port is looked for while the link is lost, and how long to wait after an
// attempt to connect that failed.
constexpr double kReconnectPollSeconds = 0.5;
constexpr double kReconnectRetrySeconds = 5;

bool PositiveNumber(const std::string& text, double& value) {
    return ReadWholeDecimal(text, value) && value > 0;
}

// False with a message on a bad command line.
bool ParseRecordOptions(const std::vector<std::string>& args, RecordOptions& o,
                        std::string& error) {
    ConnectOptions& c = o.connect;
    for (size_t i = 0; i < args.size(); ++i) {
        if (TakeConnectOption(args, i, c, error)) {
            if (!error.empty()) return false;
            continue;
        }
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
        if (a == "--cal-from-instrument") {
            o.calFromInstrument = true;
        } else if (a == "--type") {
            if (!value(v)) return false;
            c.type = ModelCode(v);
            if (c.type > kTrevan2) {
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
        } else if (a == "--reconnect") {
            o.reconnect = true;
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    if (o.base.empty())
        error = "--out BASE is needed";
    else if (error = CheckConnectOptions(c); !error.empty())
        return false;
    else if (!c.calFile.empty() && o.calFromInstrument)
        error = "--cal and --cal-from-instrument exclude each other";
    else if (c.type >= 0 && (c.calFile.empty() || c.search || c.port.empty()))
        error = "--type needs --cal and --port, and no --search";
    return error.empty();
}

// Each question answered as the help text says; the others take the last button.
CliPrompter::Answer RecordAnswers(bool sleepOnExit) {
    return [sleepOnExit](const std::string& text) {
        if (text == kSleepNotConfirmedQuestion) return 1;  // disconnect anyway
        if (text.rfind("Put the ", 0) == 0 &&
            text.find(" to sleep before disconnecting?") != std::string::npos) {
            return sleepOnExit ? 1 : 0;
        }
        return 2;
    };
}

// The status: link state, samples recorded, lines that gave no sample and the last calibrated
// values.
std::string StatusLine(const InstrumentRecord& r) {
    const LineCounts& n = r.lineCounts;
    std::string s = LinkStatusText(r.link.state, r.link.countdown).value_or("");
    s += "  " + PlainInt(n.samples) +
         " samples  lines without a sample: " + PlainInt(n.badChecksums) + " bad checksum, " +
         PlainInt(n.unknownKind) + " unknown, " + PlainInt(n.overLong) + " over-long";
    const int scattering = ScatteringChannelCount(r.instrumentType);
    if (n.samples > 0 && scattering > 0) {
        s += "  bb (1/m)";
        for (int c = 0; c < scattering; ++c) s += " " + FormatSignificant(r.converted.bb[c], 4);
    } else if (n.samples > 0 && IsTrevan(r.instrumentType)) {
        s += "  c (1/m)";
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
          prompter_(ctx.err, RecordAnswers(o.sleepOnExit)),
          session_(ctx, prompter_) {}

    int Run() {
        const std::string raw = o_.base + ".raw", dat = o_.base + ".dat";
        if (!o_.overwrite && (FileExists(raw) || FileExists(dat))) {
            ctx_.err << (FileExists(raw) ? raw : dat)
                     << " already exists.  Use --overwrite to replace it.\n";
            return 1;
        }
        int number = 0;
        std::string description;
        if (!CanWriteFile(raw, number, description)) {
            ctx_.err << OpenErrorText(raw, description) << "\n";
            return 1;
        }
        // a signal while connecting is the dialog's Stop button; afterwards it ends the recording
        if (!session_.Connect(o_.connect)) return 1;
        session_.KeepWaitsOnStop();

        InstrumentRecord& r = session_.record();
        r.SyncRecordingWindow();
        OpenDataFiles(r.recording, "raw", true, session_.recording());
        DataFileState& files = r.recording.files;
        if (!files.rawFile.IsOpen() || !files.datFile.IsOpen()) {
            DisconnectCommand(session_.connection(), kSlot);
            CloseDataFiles(r.recording, true, session_.recording());
            return 1;
        }
        ctx_.err << "Recording into " << files.rawTempPath << " and " << files.datTempPath << "\n";
        files.rawName = raw;
        files.datName = dat;
        files.unnamed = false;
        r.lineCounts = {};  // what came while connecting is no part of the recording
        SendCommand(session_.program(), "START", kSlot);

        const int status = Record();
        Stop();
        const int saved = Save();
        const LineCounts inFiles = r.lineCounts;  // what the saved files hold
        ShowStatus(true);
        DisconnectCommand(session_.connection(), kSlot);
        r.SyncRecordingWindow();
        CloseDataFiles(r.recording, true, session_.recording());
        if (saved == 1)
            ctx_.out << "Recorded " << raw << " and " << dat << ": " << LineCountsText(inFiles)
                     << "\n";
        return saved == 1 && status == 0 ? 0 : 1;
    }

  private:
    static constexpr int kSlot = InstrumentSession::kSlot;

    // Records until the duration ends or a signal comes, saving at the interval asked. Between
    // events the program sleeps: it wakes for input, a signal, the end, a save or a status line
    // that changed, never to look whether something happened.
    int Record() {
        ProgramState& program = session_.program();
        const double start = program.Now();
        double lastSave = start;
        double lastStatus = start;
        std::string shown;
        // on a terminal the line is redrawn at most 4 times a second; in a log at most every 10 s
        const double statusSeconds = ctx_.errIsTerminal ? 0.25 : 10;
        InstrumentRecord& r = session_.record();
        while (!InstrumentSession::StopRequested()) {
            const auto secondsSince = [&program](double then) {
                return (program.Now() - then) * kSecondsPerDay;
            };
            double sleep = o_.saveEvery - secondsSince(lastSave);
            if (o_.duration > 0) sleep = std::min(sleep, o_.duration - secondsSince(start));
            if (StatusLine(r) != shown)
                sleep = std::min(sleep, statusSeconds - secondsSince(lastStatus));
            session_.RunEvents(sleep);
            const double now = program.Now();
            if (DurationOver(start)) break;
            if (secondsSince(lastSave) >= o_.saveEvery) {
                lastSave = now;
                if (Save() != 1) return 1;
            }
            if (StatusLine(r) != shown && secondsSince(lastStatus) >= statusSeconds) {
                lastStatus = now;
                shown = StatusLine(r);
                ShowStatus(false);
            }
            if (!r.PortOpen()) {
                // a lost link has been told already
                if (r.linkLostText.empty())
                    prompter_.ShowMessage("The port " + o_.connect.port + " closed.");
                if (!o_.reconnect) return 1;
                const Gap gap = Reconnect(start);
                if (gap != Gap::kReconnected) return gap == Gap::kEnded ? 0 : 1;
            }
            // told by the recording files; the save that follows keeps what was written
            const DataFileState& files = r.recording.files;
            if (files.rawFile.WriteFailed() || files.datFile.WriteFailed()) return 1;
        }
        return 0;
    }

    bool DurationOver(double start) {
        return o_.duration > 0 &&
               (session_.program().Now() - start) * kSecondsPerDay >= o_.duration;
    }

    // While it lives the recording files are held aside, open, and so are the line counts:
    // what passes on the line while connecting again (the identification, a calibration read
    // anew) is no part of the recording.
    struct FilesAside {
        InstrumentRecord& r;
        DataFileWriter raw, dat;
        LineCounts counts;
        explicit FilesAside(InstrumentRecord& record)
            : r(record),
              raw(std::move(record.recording.files.rawFile)),
              dat(std::move(record.recording.files.datFile)),
              counts(record.lineCounts) {}
        ~FilesAside() {
            r.recording.files.rawFile = std::move(raw);
            r.recording.files.datFile = std::move(dat);
            r.lineCounts = counts;
        }
    };

    enum class Gap { kReconnected, kEnded, kFailed };

    // The link was lost: saves what was recorded, then looks for the port at the path where the
    // instrument was and connects as at the start (the same rate or search, identification and
    // calibration), the files kept open, and starts sampling again. kEnded on a signal or at the
    // end of the duration; kFailed when the files could not be saved or another instrument
    // answers at the port.
    Gap Reconnect(double start) {
        ProgramState& program = session_.program();
        InstrumentRecord& r = session_.record();
        ConnectOptions again = o_.connect;
        again.port = r.portName;  // after a search over every port: the one it was found on
        const int32_t type = r.instrumentType;
        const std::string serial = r.serialNumber;
        const double lost = program.Now();
        prompter_.ShowMessage("Recording paused at " + CreationDateText(lost) + ": waiting for " +
                              again.port + " to come back.");
        if (Save() != 1) return Gap::kFailed;

        QtSerialPortIo probe;
        session_.CancelWaitsOnStop();  // a signal gives up a connection under way
        Gap gap = Gap::kEnded;
        double pause = kReconnectPollSeconds;
        while (!InstrumentSession::StopRequested() && !DurationOver(start)) {
            session_.waiter().WaitUntil(InstrumentSession::StopRequested, pause);
            pause = kReconnectPollSeconds;
            if (InstrumentSession::StopRequested() || !PortExists(probe, again.port)) continue;
            bool connected = false;
            {
                FilesAside aside(r);
                connected = session_.Connect(again);
            }
            if (!connected) {
                pause = kReconnectRetrySeconds;
                continue;
            }
            if (r.instrumentType != type || !SerialNumbersMatch(r.serialNumber, serial)) {
                prompter_.ShowMessage("Another instrument answers on " + again.port + " (" +
                                      r.modelName + " " + r.serialNumber +
                                      "): the recording ends.");
                session_.Disconnect();
                gap = Gap::kFailed;
                break;
            }
            r.SyncRecordingWindow();
            SendCommand(program, "START", kSlot);
            const double now = program.Now();
            prompter_.ShowMessage("Recording resumed at " + CreationDateText(now) +
                                  " after a gap of " +
                                  PlainInt(RoundToInt64((now - lost) * kSecondsPerDay)) + " s.");
            gap = Gap::kReconnected;
            break;
        }
        session_.KeepWaitsOnStop();
        return gap;
    }

    // Stops the instrument and waits until it says so (its shutter closed), so that the last
    // samples are in the files.
    void Stop() {
        InstrumentRecord& r = session_.record();
        if (!r.PortOpen()) return;
        SendCommand(session_.program(), "STOP", kSlot);
        session_.waiter().WaitUntil(
            [&r] { return r.outputQueue.empty() && r.link.state == kLinkStopped; }, 5);
    }

    int Save() {
        InstrumentRecord& r = session_.record();
        r.SyncRecordingWindow();
        return SaveFileMenuCommand(r.recording, session_.recording());
    }

    void ShowStatus(bool final) {
        const std::string line = StatusLine(session_.record());
        if (ctx_.errIsTerminal && !final) {
            ctx_.err << '\r' << line << "\x1b[K";
            prompter_.progressShown = true;
        } else {
            if (prompter_.progressShown) ctx_.err << '\r';
            ctx_.err << line << (ctx_.errIsTerminal ? "\x1b[K\n" : "\n");
            prompter_.progressShown = false;
        }
        ctx_.err.flush();
    }

    CliContext& ctx_;
    const RecordOptions& o_;
    CliPrompter prompter_;
    InstrumentSession session_;
};

}  // namespace

int RunRecord(CliContext& ctx) {
    if (WantsHelp(ctx.args)) {
        ctx.out << kHelp;
        return 0;
    }
    RecordOptions options;
    std::string error;
    if (!ParseRecordOptions(ctx.args, options, error)) {
        ctx.err << "record: " << error << "\n" << kHelp;
        return 2;
    }
    Recorder recorder(ctx, options);
    return recorder.Run();
}

}  // namespace tidewell::cli
