#include "files/BatchProcess.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "files/FileInfo.h"
#include "files/FilePaths.h"
#include "stream/Models.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

// "?" and "*" with backtracking to the last "*".
bool Glob(std::string_view name, std::string_view pattern) {
    size_t i = 0, j = 0;
    size_t star = std::string_view::npos, mark = 0;
    while (i < name.size()) {
        if (j < pattern.size() && pattern[j] == '*') {
            star = j++;
            mark = i;
        } else if (j < pattern.size() &&
                   (pattern[j] == '?' || LowerChar(pattern[j]) == LowerChar(name[i]))) {
            ++i;
            ++j;
        } else if (star != std::string_view::npos) {
            j = star + 1;
            i = ++mark;
        } else {
            return false;
        }
    }
    while (j < pattern.size() && pattern[j] == '*') ++j;
    return j == pattern.size();
}

bool KnownType(int type) {
    return type >= kVantor6 && type <= kTrevan2;
}

}  // namespace

std::string OverwriteQuestion(size_t existing, size_t selected) {
    return std::to_string(existing) + " of the " + std::to_string(selected) +
           " files you selected will overwrite existing data files.  " +
           "Do you wish to overwrite them?";
}

bool MatchesFilePattern(std::string_view name, std::string_view pattern) {
    if (pattern.empty()) return true;
    if (Glob(name, pattern)) return true;
    const bool anyExtension = pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*";
    return anyExtension && name.find('.') == std::string_view::npos &&
           Glob(name, pattern.substr(0, pattern.size() - 2));
}

bool InstrumentTypesCompatible(int dataType, int calibrationType) {
    if (!KnownType(calibrationType) || !KnownType(dataType)) return false;
    if (dataType == calibrationType) return true;
    return dataType == kXLumo && IsSingleChannel(calibrationType);
}

int MismatchedHeaderModel(const std::string& rawPath, int calibrationType) {
    DataFileInfo info;
    ReadFileInfo(rawPath, info);
    // Only what the header says: the type guessed from data lines does not tell every model.
    const int named = ModelCode(info.deviceType);
    return KnownType(named) && !InstrumentTypesCompatible(named, calibrationType) ? named
                                                                                  : kUnknownType;
}

std::vector<std::string> ListEligibleFiles(const std::string& folder, const std::string& pattern,
                                           OutputKind output, bool filterByCalibration,
                                           const CalibrationDataClass* calibration) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    if (!FolderExists(folder)) return names;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string name = it->path().filename().string();
        if (MatchesFilePattern(name, pattern)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    if (output != OutputKind::kCalibrated || !filterByCalibration) return names;

    std::vector<std::string> eligible;
    for (auto& name : names) {
        if (calibration == nullptr) break;
        std::string kind, serial;
        const int type = DetectFileKind(WithTrailingSeparator(folder) + name, kind, serial);
        if (kind == "raw" && InstrumentTypesCompatible(type, calibration->DeviceType) &&
            SerialsMatch(serial, calibration->Serial))
            eligible.push_back(std::move(name));
    }
    return eligible;
}

BatchOutcome ProcessFiles(const BatchRequest& request, const BatchEnvironment& environment,
                          Prompter& prompter, BatchObserver* observer, std::atomic<int>* cancel) {
    BatchOutcome outcome;
    // 1. The folders.
    if (!FolderExists(request.sourceFolder)) {
        prompter.ShowMessage(kNoSourceFolderMessage);
        return outcome;
    }
    if (!request.saveToSource && !FolderExists(request.destinationFolder)) {
        prompter.ShowMessage(kNoDestinationFolderMessage);
        return outcome;
    }
    // 2. The calibration, for calibrated output.
    const bool calibrated = request.output == OutputKind::kCalibrated;
    const SigmaTables noTables;
    const SigmaTables& tables = environment.tables != nullptr ? *environment.tables : noTables;
    CalibrationDataClass calibration;
    if (calibrated) {
        if (request.calFile.empty()) {
            prompter.ShowMessage(kNoCalibrationFileMessage);
            return outcome;
        }
        // A file that is missing, of an unknown model or holds no calibration at all.
        if (!LoadUsableCalibration(request.calFile, environment.header.sigma, tables, prompter,
                                   calibration)
                 .empty()) {
            prompter.ShowMessage(kBadCalibrationFileMessage);
            return outcome;
        }
    }
    // 3. Where each output goes.
    const std::string source = WithTrailingSeparator(request.sourceFolder);
    const std::string destination =
        request.saveToSource ? source : WithTrailingSeparator(request.destinationFolder);
    for (const auto& name : request.selected)
        outcome.files.push_back({source + name, destination + WithoutExtension(name) +
                                                    OutputExtension(request.output)});
    // 4. Something must be selected.
    if (outcome.files.empty()) {
        prompter.ShowMessage(kNothingSelectedMessage);
        return outcome;
    }
    // 5. Outputs that exist already.
    const auto existing = static_cast<size_t>(
        std::count_if(outcome.files.begin(), outcome.files.end(),
                      [](const FileConversion& f) { return FileExists(f.output); }));
    if (existing > 0 && prompter.Ask(OverwriteQuestion(existing, outcome.files.size()),
                                     {"Overwrite", "Cancel"}) != 1)
        return outcome;
    // 6. The calibrated headers name the calibration file.
    if (calibrated) {
        calibration.SetSourceFileName(request.calFile);
        calibration.CheckAndUpdateAll(environment.header.sigma, tables, prompter);
    }
    // 7. Convert.
    outcome.started = true;
    if (observer != nullptr)
        observer->Begin(calibrated ? kSavingCalibratedCaption : kSavingDecimalCaption);
    if (cancel != nullptr) cancel->store(1);
    ConvertFilesOptions options;
    options.kind = request.output;
    options.withHousekeeping = request.withHousekeeping;
    options.calibration = calibrated ? &calibration : nullptr;
    options.header = environment.header;
    options.clock = environment.clock;
    options.jobs = request.jobs;
    outcome.result = ConvertFiles(outcome.files, options, prompter, observer, cancel);
    if (cancel != nullptr) cancel->store(0);
    if (observer != nullptr) observer->End();
    return outcome;
}

}  // namespace tidewell
