// Choosing a data file to open, and a calibration that fits it.

#include <filesystem>

#include "files/BatchProcess.h"
#include "files/FileInfo.h"
#include "files/FileLoaders.h"
#include "files/FilePaths.h"
#include "stream/Models.h"

namespace tidewell {

namespace {

// The answers of the calibration questions: the buttons answer 1, 0 and -1 in their order.
constexpr int kSelectCal = 1;
constexpr int kUseCurrent = 0;

std::string FolderOf(const std::string& path) {
    return WithTrailingSeparator(std::filesystem::path(path).parent_path().string());
}

}  // namespace

bool SelectDataFile(RecordingWindow& window, std::string& path, std::string& calibrationFile,
                    bool windowInUse, std::string& openFolder, const DataFileDialogs& dialogs,
                    Prompter& prompter) {
    calibrationFile.clear();
    path = dialogs.chooseFile(kSelectDataFileTitle, kDataFileTypes, openFolder);
    if (path.empty()) return false;
    openFolder = FolderOf(path);

    std::string fileType, fileSerial;
    const int fileDeviceType = DetectFileKind(path, fileType, fileSerial);
    if (fileType == "dat") return true;
    if (fileType != "raw" && fileType != "rmu") {
        prompter.ShowMessage(
            "The selected file contains no recognizable data, or could not be opened.");
        return false;
    }

    // Chooses and loads another calibration; false when the user cancelled the chooser.
    auto chooseCalibration = [&] {
        const std::string chosen = dialogs.chooseCalibration();
        if (chosen.empty()) return false;
        if (dialogs.loadCalibration(chosen)) calibrationFile = chosen;
        return true;
    };
    const CalibrationDataClass empty;
    auto calibration = [&]() -> const CalibrationDataClass& {
        return window.calibration != nullptr ? *window.calibration : empty;
    };
    const std::string fileModel = ModelName(fileDeviceType);
    for (;;) {
        while (!InstrumentTypesCompatible(fileDeviceType, calibration().DeviceType)) {
            const std::string calModel = ModelName(calibration().DeviceType);
            if (window.connected) {
                const std::string instrument = ModelName(window.instrumentType);
                prompter.ShowMessage("The file you selected contains raw " + fileModel + " data, " +
                                     "and requires a calibration file that cannot be loaded "
                                     "while the " +
                                     instrument + " is connected. " + "Either disconnect the " +
                                     instrument + " or open a new window.");
                return false;
            }
            if (windowInUse) {
                prompter.ShowMessage("The file you selected contains " + fileModel + " data, " +
                                     "but the current calibration requires " + calModel + " data.");
                return false;
            }
            const int answer =
                prompter.Ask("The data file you selected contains raw " + fileModel + " data, " +
                                 "but the calibration file type is " + calModel +
                                 ".  Would you like to select a matching calibration?",
                             {"Select Cal", "Cancel"});
            if (answer != kSelectCal || !chooseCalibration()) return false;
        }
        if (SerialsMatch(fileSerial, calibration().Serial)) return true;
        const int answer = prompter.Ask("The serial number of the data file (" + fileSerial +
                                            ") and the current " + "calibration file (" +
                                            calibration().Serial + ") do not match.  " +
                                            "Would you like to select a different calibration?",
                                        {"Select Cal", "Use Current", "Cancel"});
        if (answer == kUseCurrent) return true;
        if (answer != kSelectCal || !chooseCalibration()) return false;
        // The new calibration is tested from the start: it may be of another type.
    }
}

}  // namespace tidewell
