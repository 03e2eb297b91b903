#pragma once
// The program's command line: a raw data file, ";" and a calibration file. Given one, the
// program converts the raw file into a calibrated data file in the current folder and ends,
// without a window and without a message.

#include <iosfwd>
#include <string>
#include <string_view>

#include "settings/SettingsStore.h"

namespace tidewell {

struct CommandLineFiles {
    std::string rawPath;
    std::string calPath;  // empty without ";"
};

// Splits at the first ";" and trims blanks from both parts; without ";" the whole text is the
// raw file.
CommandLineFiles SplitCommandLine(std::string_view commandLine);

// The calibrated file's name: the raw file's name without its folder and its extension, then
// ".dat" (a relative name, so that it lands in the current folder).
std::string CommandLineOutputName(const std::string& rawPath);

// The one-shot conversion. When both files exist and the calibration loads as a known
// instrument type, converts the raw file as the batch conversion does and returns 0. Otherwise
// nothing is written and the result is 1; a conversion that fails returns 2. Nothing is shown:
// only the start-up notices of LoadSettings go to `err`.
int RunCommandLineConversion(std::string_view commandLine, SettingsStore& store, std::ostream& err);

}  // namespace tidewell
