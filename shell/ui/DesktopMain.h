#pragma once
// The desktop program's start: the splash, the instance number, the first window, and the two
// ways in beside the plain start: files opened into windows (`tidewell open`), and a demo that
// starts a simulated instrument with a window connected to it (`tidewell demo`).

#include <string>
#include <vector>

namespace tidewell::ui {

struct DesktopLaunch {
    std::vector<std::string> files;  // one window each
    std::string calFile;             // the calibration for those files
    std::string demoModel;           // "" for no demo
};

// Runs the desktop program until its last window closes (or SIGINT/SIGTERM); the exit status.
int RunDesktop(int argc, char* argv[], const DesktopLaunch& launch);

// `tidewell open` and `tidewell demo`: the arguments after the word, into `launch`. -1 to go
// on, else the exit status (0 after --help, 2 after a usage error), with the text printed.
int ParseOpenArguments(const std::vector<std::string>& args, DesktopLaunch& launch);
int ParseDemoArguments(const std::vector<std::string>& args, DesktopLaunch& launch);

}  // namespace tidewell::ui
