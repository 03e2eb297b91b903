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
        {"convert",
         "convert (--cal CALFILE | --decimal [--housekeeping]) [--out DIR] [--jobs N] FILE...  "
         "raw files to calibrated (.dat) or raw decimal (.dec) files",
         RunConvert},
        {"decode", "decode [--type CODE|MODEL] [--guess] [FILE|-]  decode instrument lines to JSON",
         RunDecode},
        {"help", "help  list the subcommands", RunHelp},
        {"info", "info FILE...  what the header of a raw or calibrated file says, as JSON",
         RunInfo},
        {"record",
         "record --port DEV [--baud N | --search] [--cal FILE | --cal-from-instrument] --out BASE "
         "[--duration S] [--save-every S] [--sleep-on-exit]  record an instrument headless",
         RunRecord},
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
