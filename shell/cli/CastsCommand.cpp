// `tidewell casts`: the casts an instrument logged in its memory, headless. `list` prints the
// directory, `download` transfers casts into raw and calibrated files as the transfer window
// does, `delete` removes casts from a Trevan-2, `erase` clears the log of any other instrument.

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "files/CastList.h"
#include "files/FilePaths.h"
#include "instrument/CastTransfer.h"
#include "shell/cli/InstrumentSession.h"
#include "shell/cli/Json.h"
#include "shell/cli/Subcommands.h"
#include "stream/Models.h"

namespace tidewell::cli {

namespace {

constexpr const char* kHelp =
    "Usage: tidewell casts list     CONNECTION\n"
    "       tidewell casts download CONNECTION (--casts N,N... | --all) --out BASE [--no-dat]\n"
    "                               [--skip-existing] [--yes]\n"
    "       tidewell casts delete   CONNECTION (--casts N,N... | --all) [--yes]   (Trevan-2)\n"
    "       tidewell casts erase    CONNECTION [--yes]               (other instruments)\n"
    "\n"
    "list prints the instrument's cast directory as JSON: the column heading, the memory\n"
    "status and each cast's number, size (samples) and line. download writes each cast to\n"
    "BASE<number>.raw and, unless --no-dat, BASE<number>.dat (converted as it arrives), one\n"
    "JSON line per cast on stdout, its progress on stderr (a bar on a terminal, else a line\n"
    "every tenth of the cast). delete and erase print the directory as it is afterwards; a\n"
    "deleted cast still listed then is a failure.\n"
    "\n"
    "CONNECTION:\n"
    "%CONNECT%"
    "\n"
    "  --casts N,N...   the casts to download or delete, by number\n"
    "  --all            every cast of the directory\n"
    "  --out BASE       the path and name start of the files (\"/data/run\" gives\n"
    "                   /data/run3.raw; the folder is made when missing)\n"
    "  --no-dat         raw files only\n"
    "  --skip-existing  leave out the casts already downloaded: their .raw file (and .dat,\n"
    "                   unless --no-dat) is there and the .raw holds the cast's end\n"
    "  --yes            answer yes to the questions: overwrite files that exist, delete,\n"
    "                   erase (without it they are answered no and nothing is done)\n"
    "\n"
    "SIGINT or SIGTERM stops a download (the instrument is told to stop before the port\n"
    "closes; the files of the cast stay as far as they came), and so does a minute without\n"
    "any data. A cast that ends without a single sample is reported and counts as a failure.\n"
    "Exit status 0 when everything asked was done, 1 when not, 2 for a usage error.\n";

// A download that hears nothing for this long is stopped.
constexpr double kSilenceLimitSeconds = 60;

struct CastsOptions {
    std::string action;
    ConnectOptions connect;
    std::vector<int64_t> casts;
    bool all = false;
    std::string base;
    bool withDat = true;
    bool skipExisting = false;
    bool yes = false;
};

std::string Help() {
    std::string help = kHelp;
    help.replace(help.find("%CONNECT%"), 9, kConnectOptionsHelp);
    return help;
}

bool ParseCastsOptions(const std::vector<std::string>& args, CastsOptions& o, std::string& error) {
    if (args.empty()) {
        error = "list, download, delete or erase is needed";
        return false;
    }
    o.action = args[0];
    if (o.action != "list" && o.action != "download" && o.action != "delete" &&
        o.action != "erase") {
        error = "unknown action " + o.action;
        return false;
    }
    bool castsGiven = false;
    for (size_t i = 1; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        if (TakeConnectOption(args, i, o.connect, error)) continue;
        const bool selects = o.action == "download" || o.action == "delete";
        if (a == "--casts" && selects) {
            if (i + 1 >= args.size() || !ParseNumberList(args[++i], o.casts)) {
                error = "--casts needs cast numbers separated by commas";
            }
            castsGiven = true;
        } else if (a == "--all" && selects) {
            o.all = true;
        } else if (a == "--out" && o.action == "download") {
            if (i + 1 >= args.size()) {
                error = "--out needs a value";
            } else {
                o.base = args[++i];
            }
        } else if (a == "--no-dat" && o.action == "download") {
            o.withDat = false;
        } else if (a == "--skip-existing" && o.action == "download") {
            o.skipExisting = true;
        } else if (a == "--yes" && o.action != "list") {
            o.yes = true;
        } else {
            error = "unknown option " + a;
        }
    }
    if (!error.empty()) return false;
    error = CheckConnectOptions(o.connect);
    if (error.empty() && (o.action == "download" || o.action == "delete") && castsGiven == o.all) {
        error = "either --casts or --all is needed";
    }
    if (error.empty() && o.action == "download" && o.base.empty()) error = "--out BASE is needed";
    return error.empty();
}

std::string DirectoryJson(const CastDirectory& d) {
    const auto cast = [&d](int i) {
        const CastEntry& e = d.entries()[static_cast<size_t>(i)];
        return JsonObject()
            .Int("number", e.Number())
            .Int("samples", e.Size())
            .Str("line", e.text)
            .Text();
    };
    const std::string casts = JsonArray(static_cast<int>(d.entries().size()), cast, ", ");
    return JsonObject()
        .Str("heading", d.heading())
        .Str("memory", d.memoryStatus())
        .Raw("casts", casts)
        .Text();
}

// The transfer window's progress: one line redrawn on a terminal, plain lines elsewhere.
class TerminalTransferView : public CastTransferView {
  public:
    TerminalTransferView(CliContext& ctx, CliPrompter& prompter)
        : ctx_(ctx), line_(ctx, prompter) {}
    void ShowProgress(int64_t value, int64_t range, const std::string& label,
                      const std::string& remaining) override {
        // "Cast3: ..." : each cast's progress starts a line of its own
        const std::string cast = label.substr(0, label.find(':'));
        if (cast != cast_) line_.Done();
        cast_ = cast;
        line_.Show(range > 0 ? static_cast<double>(value) / static_cast<double>(range) : 0,
                   label + (remaining.empty() ? "" : "  " + remaining));
    }
    void CastDone(int64_t number, const std::string& raw, const std::string& dat) override {
        line_.Done();
        JsonObject o;
        o.Int("cast", number).Str("raw", raw);
        if (!dat.empty()) o.Str("dat", dat);
        ctx_.out << o.Text() << '\n';
        ctx_.out.flush();
    }
    void TransferRunning(bool running) override {
        if (!running) line_.Done();
    }

  private:
    CliContext& ctx_;
    ProgressLine line_;
    std::string cast_;
};

// The casts of the directory the options name, in the directory's order; false with a message
// when one of them is not there.
bool SelectCasts(CliContext& ctx, const CastsOptions& o, const CastDirectory& d,
                 std::vector<bool>& selected) {
    const std::vector<CastEntry>& entries = d.entries();
    selected.assign(entries.size(), o.all);
    for (int64_t n : o.casts) {
        bool found = false;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].Number() == n) selected[i] = found = true;
        }
        if (!found) {
            ctx.err << "casts: cast " << n << " is not in the instrument's directory\n";
            return false;
        }
    }
    return true;
}

// True when none of the deleted casts is listed any more; each one still there is said.
bool NoneListed(CliContext& ctx, const std::vector<CastEntry>& deleted, const CastDirectory& d) {
    bool none = true;
    for (const CastEntry& cast : deleted) {
        for (const CastEntry& entry : d.entries()) {
            if (entry.Number() != cast.Number()) continue;
            ctx.err << "casts: cast " << cast.Number()
                    << " is still in the instrument's directory\n";
            none = false;
        }
    }
    return none;
}

// The casts whose files are not complete yet; the others are said and left out.
std::vector<CastEntry> NotYetDownloaded(CliContext& ctx, const std::vector<CastEntry>& casts,
                                        const CastsOptions& o) {
    std::vector<CastEntry> left;
    for (const CastEntry& cast : casts) {
        const std::string raw = CastFilePath(o.base, cast.Number(), ".raw");
        if (RawFileHoldsCastEnd(raw) &&
            (!o.withDat || FileExists(CastFilePath(o.base, cast.Number(), ".dat")))) {
            ctx.err << "casts: cast " << cast.Number() << " is there already: " << raw << '\n';
        } else {
            left.push_back(cast);
        }
    }
    return left;
}

int RunCastsAction(CliContext& ctx, const CastsOptions& o) {
    CliPrompter prompter(ctx.err, [&o](const std::string& text) {
        // the questions of this command, answered as --yes says
        const bool ours = text.find("Overwrite") != std::string::npos ||
                          text.rfind("Permanently delete", 0) == 0 ||
                          text.rfind("Do you really wish to erase", 0) == 0;
        return ours ? (o.yes ? 1 : 2) : 2;
    });
    // the folder of the files is made before the instrument is connected
    const std::string folder = std::filesystem::path(o.base).parent_path().string();
    if (const std::string problem = folder.empty() ? "" : MakeFolder(folder); !problem.empty()) {
        ctx.err << "casts: " << problem << "\n";
        return 1;
    }
    InstrumentSession session(ctx, prompter);
    if (!session.Connect(o.connect)) return 1;
    InstrumentRecord& r = session.record();
    if (o.action == "delete" && !IsTrevan(r.instrumentType)) {
        ctx.err << "casts: delete is for a Trevan-2; use erase for a " << r.modelName << "\n";
        return 2;
    }
    if (o.action == "erase" && IsTrevan(r.instrumentType)) {
        ctx.err << "casts: a Trevan-2 deletes its casts: use delete\n";
        return 2;
    }

    TerminalTransferView view(ctx, prompter);
    CastTransferContext transfer(session.program(), session.waiter(), session.recording());
    transfer.view = &view;
    transfer.silenceLimitSeconds = kSilenceLimitSeconds;
    CastDirectory directory;
    const auto list = [&] {
        const DirectoryResult result =
            LoadCastDirectory(transfer, InstrumentSession::kSlot, directory);
        if (result == DirectoryResult::kTimedOut) ctx.err << kDirectoryTimeoutStatus << '\n';
        return result == DirectoryResult::kLoaded;
    };

    if (o.action == "erase") {
        if (!EraseCasts(transfer, InstrumentSession::kSlot, directory)) return 1;
        if (!r.directoryComplete) {
            ctx.err << kDirectoryTimeoutStatus << '\n';
            return 1;
        }
        ctx.out << DirectoryJson(directory) << '\n';
        return NoneListed(ctx, directory.entries(), directory) ? 0 : 1;
    }
    if (!list()) return 1;
    if (o.action == "list") {
        ctx.out << DirectoryJson(directory) << '\n';
        return 0;
    }
    std::vector<bool> selected;
    if (!SelectCasts(ctx, o, directory, selected)) return 1;
    std::vector<CastEntry> casts;
    for (size_t i = 0; i < selected.size(); ++i) {
        if (selected[i]) casts.push_back(directory.entries()[i]);
    }
    if (o.action == "delete") {
        const DeleteResult result =
            DeleteCasts(transfer, InstrumentSession::kSlot, directory.entries(), selected);
        if (result == DeleteResult::kDeclined || result == DeleteResult::kNoneChosen) return 1;
        if (!list()) return 1;
        ctx.out << DirectoryJson(directory) << '\n';
        return result == DeleteResult::kDeleted && NoneListed(ctx, casts, directory) ? 0 : 1;
    }
    if (o.skipExisting) casts = NotYetDownloaded(ctx, casts, o);
    if (o.skipExisting && casts.empty()) return 0;
    const TransferResult result =
        TransferCasts(transfer, InstrumentSession::kSlot, casts, o.base, o.withDat);
    return result == TransferResult::kComplete ? 0 : 1;
}

}  // namespace

int RunCasts(CliContext& ctx) {
    if (WantsHelp(ctx.args)) {
        ctx.out << Help();
        return 0;
    }
    CastsOptions options;
    std::string error;
    if (!ParseCastsOptions(ctx.args, options, error)) {
        ctx.err << "casts: " << error << "\n" << Help();
        return 2;
    }
    return RunCastsAction(ctx, options);
}

}  // namespace tidewell::cli
