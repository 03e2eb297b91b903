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

bool IsConversionCommandLine(std::string_view commandLine) {
    return commandLine.find(';') != std::string_view::npos ||
           FileExists(SplitCommandLine(commandLine).rawPath);
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
    // A file that holds no calibration would give a file of zeros: write nothing, and say why.
    const std::string problem = LoadUsableCalibration(files.calPath, settings.header.sigma,
                                                      settings.tables, silent, calibration);
    if (!problem.empty()) {
        err << files.calPath << ": " << problem << "\n";
        return 1;
    }

    ConvertFilesOptions options;
    options.calibration = &calibration;
    options.header = settings.header;
    // A signal ends the conversion and removes its temporary file; a failed write says why.
    CancelOnSignals interrupt;
    StreamPrompter messages(err);
    const ConvertFilesResult result =
        ConvertFiles({{files.rawPath, CommandLineOutputName(files.rawPath)}}, options, messages,
                     nullptr, &interrupt.Flag());
    return result.converted == 1 ? 0 : 2;
}

}  // namespace tidewell
