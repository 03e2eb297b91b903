#include "shell/CommandLine.h"

#include "calibration/CalibrationData.h"
#include "files/BatchProcess.h"
#include "files/ConvertFiles.h"
#include "files/FilePaths.h"
#include "shell/Headless.h"

namespace tidewell {

namespace {
std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}
}  // namespace

CommandLineFiles SplitCommandLine(std::string_view commandLine) {
    const size_t semicolon = commandLine.find(';');
    if (semicolon == std::string_view::npos) return {std::string(TrimBlanks(commandLine)), ""};
    return {std::string(TrimBlanks(commandLine.substr(0, semicolon))),
            std::string(TrimBlanks(commandLine.substr(semicolon + 1)))};
}

std::string CommandLineOutputName(const std::string& rawPath) {
    return WithoutExtension(FileNamePart(rawPath)) + ".dat";
}

int RunCommandLineConversion(std::string_view commandLine, SettingsStore& store,
                             std::ostream& err) {
    const HeadlessSettings settings = LoadHeadlessSettings(store, err);
    const CommandLineFiles files = SplitCommandLine(commandLine);
    if (!FileExists(files.rawPath) || !FileExists(files.calPath)) return 1;

    SilentPrompter silent;
    CalibrationDataClass calibration;
    // A calibration that does not load would give a file of headings alone: write nothing.
    if (!LoadBatchCalibration(files.calPath, settings.header.sigma, settings.tables, silent,
                              calibration))
        return 1;

    ConvertFilesOptions options;
    options.calibration = &calibration;
    options.header = settings.header;
    const ConvertFilesResult result =
        ConvertFiles({{files.rawPath, CommandLineOutputName(files.rawPath)}}, options, silent);
    return result.converted == 1 ? 0 : 2;
}

}  // namespace tidewell
