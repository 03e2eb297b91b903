#pragma once
// Runs build/bin/tidewell as a separate process in a chosen working folder, with the user's
// configuration folder pointed at a test folder and no display, or one subcommand inside the
// test program, and collects what it printed.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "shell/cli/Subcommands.h"
#include "support/TestSupport.h"

namespace tidewell::test {

struct ProgramRun {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Starts the program with its standard output and error going to `outPath` and `errPath`;
// returns its process id.
inline pid_t StartTidewell(const std::vector<std::string>& args, const std::string& workFolder,
                           const std::string& configFolder, const std::string& outPath,
                           const std::string& errPath) {
    const std::string program = std::string(TIDEWELL_BIN_DIR) + "/tidewell";
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> cargs;
        for (auto& a : argv) cargs.push_back(a.data());
        cargs.push_back(nullptr);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int none = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || none < 0 || chdir(workFolder.c_str()) != 0) _exit(126);
        dup2(none, 0);
        dup2(out, 1);
        dup2(err, 2);
        setenv("XDG_CONFIG_HOME", configFolder.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execv(program.c_str(), cargs.data());
        _exit(127);
    }
    return pid;
}

// Waits for a started program to end and collects what it printed.
inline ProgramRun FinishTidewell(pid_t pid, const std::string& outPath,
                                 const std::string& errPath) {
    ProgramRun run;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    run.out = ReadFileBytes(outPath);
    run.err = ReadFileBytes(errPath);
    return run;
}

inline ProgramRun RunTidewell(const std::vector<std::string>& args, const std::string& workFolder,
                              const std::string& configFolder) {
    TempDir io;
    const std::string outPath = io.File("out"), errPath = io.File("err");
    return FinishTidewell(StartTidewell(args, workFolder, configFolder, outPath, errPath), outPath,
                          errPath);
}

// The subcommand's function called with these arguments, `input` as its standard input.
inline ProgramRun RunSubcommand(cli::SubcommandFunction subcommand, std::vector<std::string> args,
                                const std::string& input = "", bool errIsTerminal = false) {
    std::istringstream in(input);
    std::ostringstream out, err;
    cli::CliContext ctx{std::move(args), in, out, err, errIsTerminal};
    ProgramRun run;
    run.status = subcommand(ctx);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// A configuration folder holding settings that match the batch tests' hand-worked rows: a
// program folder that exists (so no first-run notice), a* and bbTilde as numbers, no
// pure-water terms, chi from the calibration, beta columns on.
inline void WriteHandSettings(const std::string& configFolder) {
    const std::string folder = configFolder + "/Tidewell";
    mkdir(folder.c_str(), 0700);
    WriteFileBytes(folder + "/Tidewell.ini",
                   "[App]\nPath=" + configFolder +
                       "\n\n[Sigma]\naStar=0.05\nbTilde=0.015\n\n"
                       "[bbPrefs]\nuseCalFileChi=True\nMorelFresh=False\nNoPure=True\n"
                       "beta0=0\nbb0=0\nIncludeBetaInDatFiles=1\n");
}

}  // namespace tidewell::test
