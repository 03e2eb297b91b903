#include "shell/cli/Subcommands.h"

#include <ostream>

namespace tidewell::cli {

namespace {
int RunHelp(CliContext& ctx) {
    PrintUsage(ctx.out);
    return 0;
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
        {"help", "help  list the subcommands", RunHelp},
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
}

}  // namespace tidewell::cli
