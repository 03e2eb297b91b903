// Tidewell's entry: a subcommand runs headless, the command line "RAWFILE;CALFILE" converts
// and ends; otherwise the desktop program starts.

#include <unistd.h>

#include <QCoreApplication>
#include <iostream>

#include "shell/CommandLine.h"
#include "shell/QtSettingsStore.h"
#include "shell/cli/Subcommands.h"
#include "shell/ui/DesktopMain.h"

int main(int argc, char* argv[]) {
    using namespace tidewell::cli;
    if (argc > 1) {
        const std::string word = argv[1];
        if (word == "open" || word == "demo") {
            // the desktop program, with files or a simulated instrument
            tidewell::ui::DesktopLaunch launch;
            const std::vector<std::string> args(argv + 2, argv + argc);
            const int status = word == "open" ? tidewell::ui::ParseOpenArguments(args, launch)
                                              : tidewell::ui::ParseDemoArguments(args, launch);
            if (status >= 0) return status;
            int one = 1;
            return tidewell::ui::RunDesktop(one, argv, launch);
        }
        if (const Subcommand* sub = FindSubcommand(word)) {
            QCoreApplication app(argc, argv);
            CliContext ctx{std::vector<std::string>(argv + 2, argv + argc), std::cin, std::cout,
                           std::cerr, isatty(STDERR_FILENO) != 0};
            return sub->run(ctx);
        }
        if (word == "--help" || word == "-h") {
            PrintUsage(std::cout);
            return 0;
        }
        // The program's own command line, "RAWFILE;CALFILE": convert and end, no window.
        std::string commandLine = argv[1];
        for (int i = 2; i < argc; ++i) commandLine += std::string(" ") + argv[i];
        if (!tidewell::IsConversionCommandLine(commandLine)) return UnknownCommand(word, std::cerr);
        QCoreApplication app(argc, argv);
        tidewell::QtSettingsStore store;
        return tidewell::RunCommandLineConversion(commandLine, store, std::cerr);
    }
    return tidewell::ui::RunDesktop(argc, argv, {});
}
