#include "shell/cli/Subcommands.h"

#include <ostream>
#include <string>

namespace tidewell::cli {

namespace {

constexpr const char* kHelpUsage = "Usage: tidewell help [SUBCOMMAND]\n";

// The list of subcommands, or one subcommand's own help.
int RunHelp(CliContext& ctx) {
    if (ctx.args.empty() || WantsHelp(ctx.args)) {
        PrintUsage(ctx.out);
        return 0;
    }
    const Subcommand* sub = ctx.args.size() == 1 ? FindSubcommand(ctx.args[0]) : nullptr;
    if (sub == nullptr || sub->run == RunHelp) {
        ctx.err << "help: no subcommand \"" << ctx.args[0] << "\"\n" << kHelpUsage;
        return 2;
    }
    if (sub->run == nullptr) {  // the desktop program's own: its line, and where to learn more
        ctx.out << "Usage: tidewell " << sub->summary << "\n\"tidewell " << sub->name
                << " --help\" tells more.\n";
        return 0;
    }
    CliContext help{{"--help"}, ctx.in, ctx.out, ctx.err, ctx.errIsTerminal};
    return sub->run(help);
}

}  // namespace

const std::vector<Subcommand>& AllSubcommands() {
    static const std::vector<Subcommand> table{
        {"cal",
         "cal show FILE | cal save IN OUT  show a calibration file as JSON, or save it again",
         RunCal},
        {"casts",
         "casts list|download|delete|erase --port DEV [--baud N | --search] [--casts N,N | --all] "
         "[--out BASE] [--no-dat] [--yes]  the casts in an instrument's memory",
         RunCasts},
        {"clock",
         "clock get|set --port DEV [--baud N | --search] [--to-computer | --time \"MM/DD/YY "
         "HH:MM:SS\"]  read or set an instrument's clock",
         RunClock},
        {"convert",
         "convert (--cal CALFILE [--force] | --decimal [--housekeeping]) [--out DIR] [--jobs N] "
         "[--overwrite] FILE...  "
         "raw files to calibrated (.dat) or raw decimal (.dec) files",
         RunConvert},
        {"demo", "demo [MODEL]  the desktop program with a simulated instrument, sampling",
         nullptr},
        {"decode", "decode [--type CODE|MODEL] [--guess] [FILE|-]  decode instrument lines to JSON",
         RunDecode},
        {"help", "help [SUBCOMMAND]  list the subcommands, or show one's help", RunHelp},
        {"open", "open FILE... [--cal CALFILE]  the desktop program with each file in a window",
         nullptr},
        {"info", "info FILE...  what the header of a raw or calibrated file says, as JSON",
         RunInfo},
        {"record",
         "record --port DEV [--baud N | --search] [--cal FILE | --cal-from-instrument] --out BASE "
         "[--duration S] [--save-every S] [--sleep-on-exit]  record an instrument headless",
         RunRecord},
        {"reset", "reset --port DEV [--seconds N]  a long break that can wake an instrument",
         RunReset},
        {"sampling",
         "sampling get|set --port DEV [--baud N | --search] [FIELDS]  an instrument's sampling "
         "set-up",
         RunSampling},
        {"sleep", "sleep --port DEV [--baud N | --search]  put an instrument to sleep", RunSleep},
    };
    return table;
}

const Subcommand* FindSubcommand(const std::string& name) {
    for (const auto& s : AllSubcommands())
        if (name == s.name) return &s;
    return nullptr;
}

void PrintUsage(std::ostream& out) {
    out << "Usage: tidewell [\"RAWFILE;CALFILE\"]\n       tidewell SUBCOMMAND ...\n\n";
    for (const auto& s : AllSubcommands()) out << "  tidewell " << s.summary << "\n";
    out << "\n\"tidewell SUBCOMMAND --help\" tells more about each.\n";
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") return true;
    }
    return false;
}

std::string LineCountsText(const LineCounts& c) {
    return "lines " + std::to_string(c.lines) + ", samples " + std::to_string(c.samples) +
           ", no sample " + std::to_string(c.Losses()) + " (bad checksums " +
           std::to_string(c.badChecksums) + ", no known kind " + std::to_string(c.unknownKind) +
           ", over-long " + std::to_string(c.overLong) + ")";
}

int UnknownCommand(const std::string& word, std::ostream& err) {
    err << "tidewell: unknown command \"" << word << "\"\n\n";
    PrintUsage(err);
    return 2;
}

}  // namespace tidewell::cli
