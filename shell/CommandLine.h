#pragma once
// The program's command line: a raw data file, ";" and a calibration file. Given one, the
// program converts the raw file into a calibrated data file in the current folder and ends,
// without a window.

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

// The program's own command line, for its silent conversion: one that holds ";" or names an
// existing file. Anything else is a mistyped subcommand and is told so.
bool IsConversionCommandLine(std::string_view commandLine);

// The calibrated file's name: the raw file's name without its folder and its extension, then
// ".dat" (a relative name, so that it lands in the current folder).
std::string CommandLineOutputName(const std::string& rawPath);

// The one-shot conversion. When both files exist and the calibration loads as a calibration of
// a known instrument type, converts the raw file as the batch conversion does (under a
// temporary name, renamed when complete) and returns 0. A missing file ends it silently with 1;
// a calibration file that cannot serve ends it with 1 and the reason on `err`; nothing is
// written then. A conversion that fails or is interrupted (SIGINT, SIGTERM) returns 2, leaves
// no output and an older one as it was; its error goes to `err`, as do the start-up notices of
// LoadSettings.
int RunCommandLineConversion(std::string_view commandLine, SettingsStore& store, std::ostream& err);

}  // namespace tidewell
