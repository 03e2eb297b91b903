#pragma once
// Headless subcommands: `tidewell <name> ...` runs one of these instead of opening a window.
// Each takes its arguments and streams, prints results on `out` and errors on `err`, and
// returns the exit status.

#include <iosfwd>
#include <string>
#include <vector>

#include "stream/LineCounts.h"

namespace tidewell::cli {

struct CliContext {
    std::vector<std::string> args;  // the words after the subcommand name
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;  // progress bars only when someone watches
};

using SubcommandFunction = int (*)(CliContext&);

struct Subcommand {
    const char* name;
    const char* summary;
    SubcommandFunction run;
};

// The subcommand of that name, or nullptr.
const Subcommand* FindSubcommand(const std::string& name);
const std::vector<Subcommand>& AllSubcommands();

// Usage text of every subcommand, for `tidewell help`.
void PrintUsage(std::ostream& out);

// "--help" or "-h" among the words before a "--": the subcommand prints its help on the output
// and ends with 0.
bool WantsHelp(const std::vector<std::string>& args);

// "lines 1024, samples 1000, no sample 22 (bad checksums 2, no known kind 20, over-long 0)".
std::string LineCountsText(const LineCounts& counts);

// The first word is neither a subcommand nor a file to convert: says so on `err`, with the list
// of subcommands; the exit status.
int UnknownCommand(const std::string& word, std::ostream& err);

// The subcommands themselves.
int RunCal(CliContext& ctx);
int RunConvert(CliContext& ctx);
int RunDecode(CliContext& ctx);
int RunInfo(CliContext& ctx);
int RunRecord(CliContext& ctx);
int RunSampling(CliContext& ctx);
int RunClock(CliContext& ctx);
int RunCasts(CliContext& ctx);
int RunSleep(CliContext& ctx);
int RunReset(CliContext& ctx);

}  // namespace tidewell::cli
