#pragma once
// Runs build/bin/tidewell as a child process in a chosen working folder, its configuration and
// temporary folders under a test folder and no display, or one subcommand inside the test
// program, and collects what it printed.

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "shell/cli/Subcommands.h"
#include "support/TestSupport.h"
#include "tests/instrument/TestApplication.h"

namespace tidewell::test {

struct ProgramRun {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

inline QString BinPath(const char* program) {
    return QString(TIDEWELL_BIN_DIR) + "/" + program;
}

inline QStringList ToArgs(const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    return list;
}

// A child that is killed when the test program goes, however it goes.
inline void DieWithParent(QProcess& process) {
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

// tidewell started in `work`, its settings under `config` and its temporary files under
// `config`/tmp; killed when it outlives the object.
class TidewellRun {
  public:
    TidewellRun(const std::vector<std::string>& args, const std::string& work,
                const std::string& config) {
        TestApplication();
        QDir().mkpath(QString::fromStdString(config + "/tmp"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(config));
        env.insert("TEMP", QString::fromStdString(config + "/tmp"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QString::fromStdString(work));
        process.setStandardInputFile(QProcess::nullDevice());
        DieWithParent(process);
        process.start(BinPath("tidewell"), ToArgs(args));
    }
    ~TidewellRun() { Finish(0); }
    // Whether `condition` came true within 20 s while the program ran, looked at every 20 ms.
    bool WaitFor(const std::function<bool()>& condition) {
        const QDeadlineTimer limit(20000);
        while (!condition()) {
            if (process.state() == QProcess::NotRunning || limit.hasExpired()) return false;
            process.waitForFinished(20);
        }
        return true;
    }
    // What it printed and its exit status, -1 when it did not end within `ms` (it is then killed).
    ProgramRun Finish(int ms = 30000) {
        ProgramRun run;
        if (process.state() != QProcess::NotRunning && !process.waitForFinished(ms)) {
            process.kill();
            process.waitForFinished(2000);
        } else if (process.error() != QProcess::FailedToStart &&
                   process.exitStatus() == QProcess::NormalExit) {
            run.status = process.exitCode();
        }
        run.out = process.readAllStandardOutput().toStdString();
        run.err = process.readAllStandardError().toStdString();
        return run;
    }

    QProcess process;
};

inline ProgramRun RunTidewell(const std::vector<std::string>& args, const std::string& work,
                              const std::string& config) {
    return TidewellRun(args, work, config).Finish();
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
