#pragma once
// Opening a stored raw or calibrated file into a data window: choosing the file and making sure
// a fitting calibration is loaded (SelectDataFile), then reading it into the window's graph
// (OpenFile with its two loaders).
//
// A file larger than the graph holds is shown in groups: when a group is full the user chooses
// between stopping there and going on with the next group, and the window's DataFileState keeps
// the file position at which the group now shown begins, so that a load from that position
// shows the same group again.
//
// The loaders stream: a file is read line by line through one buffer whatever its size, and
// every point goes straight to the LoadSink.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "calibration/SigmaParams.h"
#include "files/LoadSink.h"
#include "files/Recording.h"
#include "stream/Prompter.h"

namespace tidewell {

// The open-file dialog's title and file types (label and pattern pairs joined by "|").
inline constexpr const char* kSelectDataFileTitle = "Select Data File";
inline constexpr const char* kDataFileTypes =
    "Raw or Calibrated Data (*.raw, *.dat)|*.raw;*.dat|Raw Data File (*.raw)|*.raw|"
    "Calibrated Data File (*.dat)|*.dat|All Files (*.*)|*.*";
inline constexpr const char* kLoadingDataCaption = "Loading Data";

// The dialogs SelectDataFile needs besides questions and messages.
struct DataFileDialogs {
    // The open-file dialog: title, file types, the folder it starts in. The chosen path, or ""
    // when cancelled.
    std::function<std::string(const std::string& title, const std::string& fileTypes,
                              const std::string& folder)>
        chooseFile;
    // The window's calibration chooser ("Select Calibration File"): the chosen path, or "".
    std::function<std::string()> chooseCalibration;
    // Loads a calibration file into the window, so that window.calibration then points at it.
    // False when it could not be loaded (the loading has said why).
    std::function<bool(const std::string& path)> loadCalibration;
};

// Lets the user choose a data file for the window and, for a raw file, a calibration that fits
// it. `openFolder` is where the dialog starts (the OpenPath setting); it becomes the folder of
// the chosen file, with a separator at its end. `windowInUse`: the window holds data. On true,
// `path` is the chosen file and `calibrationFile` the calibration chosen on the way ("" when
// the window's own was kept).
bool SelectDataFile(RecordingWindow& window, std::string& path, std::string& calibrationFile,
                    bool windowInUse, std::string& openFolder, const DataFileDialogs& dialogs,
                    Prompter& prompter);

// What a load needs besides the window.
struct LoadContext {
    Prompter& prompter;
    LoadSink& sink;
    // The sigma and pure-water settings raw files are converted with.
    const SigmaParams& sigma;
    const PureWaterParams& pureWater;
    // The program-wide cancel flag: set to 1 while a load runs and to 0 after it; the progress
    // window's Cancel sets it to -1, which ends the load after the current line.
    std::atomic<int>* cancel = nullptr;
};

// How a load ended.
struct LoadReport {
    bool opened = false;     // the file could be read
    int64_t points = 0;      // points in the group shown
    int64_t groups = 0;      // groups begun (1 + the number of "Next" answers)
    bool stopped = false;    // a full group ended the load ("Stop", or a load from a position)
    bool cancelled = false;  // the cancel flag ended it
};

// Loads a file by its kind: "raw", "rmu" or "dat"; an empty `fileType` takes the kind the file
// tells. Any other kind only redraws the window. After a load the sink hears LoadFinished.
LoadReport OpenFile(RecordingWindow& window, const std::string& path, const std::string& fileType,
                    LoadContext& context);

// The loaders. `startPosition` 0 loads from the beginning; any other value is a position the
// window's DataFileState recorded and shows that group again. A raw file's lines are decoded
// for the instrument type its header or data lines tell (for x-Lumo data: the calibration's)
// and converted with the window's calibration; a calibrated file's rows are read as the type
// its header names. That type becomes the window's instrument type, and the file's header
// its header text (a continued raw load keeps the text it has).
LoadReport LoadRawFile(const std::string& path, int64_t startPosition, RecordingWindow& window,
                       LoadContext& context);
LoadReport LoadDatFile(const std::string& path, int64_t startPosition, RecordingWindow& window,
                       LoadContext& context);

}  // namespace tidewell
