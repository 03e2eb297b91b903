// `tidewell convert`: raw files to calibrated (or raw decimal) files, exactly as the batch
// conversion writes them, several at once when asked.

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "calibration/CalibrationData.h"
#include "files/BatchProcess.h"
#include "files/ConvertFiles.h"
#include "files/FilePaths.h"
#include "shell/Headless.h"
#include "shell/QtSettingsStore.h"
#include "shell/cli/Subcommands.h"
#include "stream/Models.h"

namespace tidewell::cli {

namespace {

constexpr const char* kUsage =
    "Usage: tidewell convert --cal CALFILE [--force] [--out DIR] [--jobs N] [--overwrite] FILE...\n"
    "       tidewell convert --decimal [--housekeeping] [--out DIR] [--jobs N] [--overwrite] "
    "FILE...\n";

constexpr const char* kHelp =
    "\n"
    "Converts raw files into calibrated files (FILE.dat) with a calibration, or into raw decimal\n"
    "files (FILE.dec) without one, beside each input or in DIR.\n"
    "\n"
    "  --cal CALFILE   the calibration applied; a file that holds no calibration, or one of an\n"
    "                  unknown model, is refused\n"
    "  --force         convert a raw file whose header names a model that the calibration's\n"
    "                  does not fit (refused without it)\n"
    "  --decimal       raw decimal files, no calibration needed\n"
    "  --housekeeping  with --decimal: the housekeeping columns too\n"
    "  --out DIR       write the outputs in DIR (made when missing)\n"
    "  --jobs N        convert N files at once (default: one per core)\n"
    "  --overwrite     replace outputs that exist (refused without it)\n"
    "\n"
    "The checks come first: when a file is refused, nothing is converted. Each output is\n"
    "written under a temporary name beside it (NAME.tmp) and renamed when complete, so a\n"
    "failed write (a full disk) or SIGINT/SIGTERM leaves no partial file and an older output\n"
    "as it was. The exit status is 0 when every file was converted, 1 when a file was refused,\n"
    "failed or interrupted, 2 for a usage error.\n";

struct ConvertOptions {
    std::string calFile;
    std::string outDir;  // empty: beside each input
    int jobs = 0;        // 0: one per core
    bool decimal = false;
    bool housekeeping = false;
    bool force = false;
    bool overwrite = false;
    std::vector<std::string> files;
};

// The value of "--name VALUE" or "--name=VALUE"; false when it is missing.
bool OptionValue(const std::vector<std::string>& args, size_t& i, const std::string& name,
                 std::string& value, bool& matched) {
    const std::string& a = args[i];
    matched = a == name || a.rfind(name + "=", 0) == 0;
    if (!matched) return true;
    if (a.size() > name.size()) {
        value = a.substr(name.size() + 1);
        return true;
    }
    if (i + 1 == args.size()) return false;
    value = args[++i];
    return true;
}

bool ParseOptions(const std::vector<std::string>& args, ConvertOptions& o, std::ostream& err) {
    bool onlyFiles = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (onlyFiles || a.empty() || a[0] != '-' || a == "-") {
            o.files.push_back(a);
            continue;
        }
        if (a == "--") {
            onlyFiles = true;
            continue;
        }
        bool matched = false;
        for (auto [name, flag] : {std::pair<const char*, bool*>{"--decimal", &o.decimal},
                                  {"--housekeeping", &o.housekeeping},
                                  {"--force", &o.force},
                                  {"--overwrite", &o.overwrite}}) {
            if (a == name) matched = *flag = true;
        }
        if (matched) continue;
        std::string jobs;
        for (auto [name, target] : {std::pair<const char*, std::string*>{"--cal", &o.calFile},
                                    {"--out", &o.outDir},
                                    {"--jobs", &jobs}}) {
            if (!OptionValue(args, i, name, *target, matched)) {
                err << "convert: " << name << " needs a value\n";
                return false;
            }
            if (matched) break;
        }
        if (!matched) {
            err << "convert: unknown option \"" << a << "\"\n";
            return false;
        }
        if (!jobs.empty()) {
            const bool digits =
                std::all_of(jobs.begin(), jobs.end(), [](char c) { return c >= '0' && c <= '9'; });
            o.jobs = digits && jobs.size() <= 4 ? std::stoi(jobs) : 0;
            if (o.jobs < 1) {
                err << "convert: --jobs needs a whole number from 1 up\n";
                return false;
            }
        }
    }
    if (o.files.empty()) {
        err << "convert: no raw file given\n";
        return false;
    }
    if (o.decimal && !o.calFile.empty()) {
        err << "convert: decimal files need no calibration; leave out --cal or --decimal\n";
        return false;
    }
    if (!o.decimal && o.calFile.empty()) {
        err << "convert: calibrated files need --cal CALFILE (or --decimal for raw decimal "
               "files)\n";
        return false;
    }
    if (o.housekeeping && !o.decimal) {
        err << "convert: --housekeeping belongs to --decimal\n";
        return false;
    }
    if (o.force && o.decimal) {
        err << "convert: --force belongs to --cal\n";
        return false;
    }
    return true;
}

// Progress on one line of the terminal, redrawn when the percentage changes.
class TerminalProgress : public ConvertFilesObserver {
  public:
    explicit TerminalProgress(std::ostream& err) : err_(err) {}
    ~TerminalProgress() override { ClearLine(); }
    void Progress(const ConvertFilesProgress& p) override {
        const int percent = p.range > 0 ? static_cast<int>(100 * p.position / p.range) : 100;
        if (percent == percent_ && p.filesDone == filesDone_) return;
        percent_ = percent;
        filesDone_ = p.filesDone;
        err_ << "\rConverting: " << p.filesDone << " of " << p.fileCount << " files done, "
             << percent << "%" << std::flush;
        shown_ = true;
    }
    void ClearLine() {
        if (shown_) err_ << "\r\033[K" << std::flush;
        shown_ = false;
        percent_ = -1;
    }

  private:
    std::ostream& err_;
    int percent_ = -1;
    size_t filesDone_ = 0;
    bool shown_ = false;
};

// Collects what became of each file's lines for the summary, and passes the progress on.
class FileCounts : public ConvertFilesObserver {
  public:
    explicit FileCounts(ConvertFilesObserver* progress) : progress_(progress) {}
    void Progress(const ConvertFilesProgress& p) override {
        if (progress_ != nullptr) progress_->Progress(p);
    }
    void FileDone(size_t index, int error, const ConversionReport& report) override {
        if (error == 0 && !report.cancelled) done.push_back({index, report});
    }
    std::vector<std::pair<size_t, LineCounts>> done;  // the files converted, in list order

  private:
    ConvertFilesObserver* progress_;
};

// The conversion's messages, each on a line of its own below the progress.
class Messages : public StreamPrompter {
  public:
    Messages(std::ostream& err, TerminalProgress* progress)
        : StreamPrompter(err), progress_(progress) {}
    void ShowMessage(const std::string& text) override {
        if (progress_ != nullptr) progress_->ClearLine();
        StreamPrompter::ShowMessage(text);
    }

  private:
    TerminalProgress* progress_;
};

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.size() - FileNamePart(path).size());
}

}  // namespace

int RunConvert(CliContext& ctx) {
    if (WantsHelp(ctx.args)) {
        ctx.out << kUsage << kHelp;
        return 0;
    }
    ConvertOptions o;
    if (!ParseOptions(ctx.args, o, ctx.err)) {
        ctx.err << kUsage;
        return 2;
    }
    // From here a signal stops the conversion after its current line, and the temporary files
    // go.
    CancelOnSignals interrupt;
    TerminalProgress progress(ctx.err);
    Messages messages(ctx.err, ctx.errIsTerminal ? &progress : nullptr);
    const OutputKind kind = o.decimal ? OutputKind::kDecimal : OutputKind::kCalibrated;

    ConvertFilesOptions options;
    options.kind = kind;
    options.withHousekeeping = o.housekeeping;
    const unsigned cores = std::thread::hardware_concurrency();
    options.jobs = o.jobs > 0 ? o.jobs : static_cast<int>(std::max(cores, 1u));
    // Every file of one run carries the run's start as its creation date, so that the files do
    // not depend on how many were converted at once.
    const ManualClock runStart(SystemClock().Now());
    options.clock = &runStart;

    CalibrationDataClass calibration;
    if (kind == OutputKind::kCalibrated) {
        QtSettingsStore store;
        const HeadlessSettings settings = LoadHeadlessSettings(store, ctx.err);
        options.header = settings.header;
        const std::string problem = LoadUsableCalibration(o.calFile, settings.header.sigma,
                                                          settings.tables, messages, calibration);
        if (!problem.empty()) {
            ctx.err << "convert: " << o.calFile << ": " << problem << "\n";
            return 1;
        }
        // As the batch conversion: the headers name the calibration file as given.
        calibration.SetSourceFileName(o.calFile);
        calibration.CheckAndUpdateAll(settings.header.sigma, settings.tables, messages);
        options.calibration = &calibration;
    }

    std::vector<FileConversion> files;
    std::map<std::string, std::string> outputs;  // output -> its input
    bool refused = false;
    for (const auto& input : o.files) {
        const std::string folder =
            o.outDir.empty() ? FolderOf(input) : WithTrailingSeparator(o.outDir);
        const std::string output =
            folder + WithoutExtension(FileNamePart(input)) + OutputExtension(kind);
        auto [at, added] = outputs.emplace(output, input);
        if (!added) {
            ctx.err << "convert: " << at->second << " and " << input << " would both be written to "
                    << output << "\n";
            return 2;
        }
        files.push_back({input, output});
        if (!o.overwrite && FileExists(output)) {
            ctx.err << "convert: " << output
                    << " already exists.  Use --overwrite to replace it.\n";
            refused = true;
        }
        const int model = o.force || o.decimal
                              ? kUnknownType
                              : MismatchedHeaderModel(input, calibration.DeviceType);
        if (model != kUnknownType) {
            ctx.err << "convert: " << input << " holds " << ModelName(model) << " data, but "
                    << o.calFile << " is a " << ModelName(calibration.DeviceType)
                    << " calibration.  Use --force to convert it anyway.\n";
            refused = true;
        }
    }
    if (refused) return 1;
    if (const std::string problem = o.outDir.empty() ? "" : MakeFolder(o.outDir);
        !problem.empty()) {
        ctx.err << "convert: " << problem << "\n";
        return 1;
    }

    FileCounts counts(ctx.errIsTerminal ? &progress : nullptr);
    const ConvertFilesResult result =
        ConvertFiles(files, options, messages, &counts, &interrupt.Flag());

    progress.ClearLine();
    if (interrupt.Signalled())
        ctx.err << "convert: interrupted; the files not finished were not written\n";
    for (const auto& [index, lines] : counts.done) {
        const FileConversion& file = files[index];
        ctx.out << file.output << ": " << LineCountsText(lines) << "\n";
        if (lines.samples == 0)
            ctx.err << "convert: warning: " << file.input << " gave no sample\n";
    }
    ctx.out << "Converted " << result.converted << " of " << files.size() << " files\n";
    return result.failed == 0 && !result.cancelled ? 0 : 1;
}

}  // namespace tidewell::cli
