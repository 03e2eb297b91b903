#include <ostream>

#include "shell/cli/Subcommands.h"

namespace tidewell::cli {

int RunDecode(CliContext& ctx) {
    ctx.err << "decode: not available yet\n";
    return 1;
}

}  // namespace tidewell::cli
