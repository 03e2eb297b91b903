#pragma once
// A data window's recording files: the raw file (everything the instrument sends, behind a
// short header) and the calibrated file beside it. Both are written to temporary files first;
// Save copies them to the names the user chose while recording goes on.
//
// The window keeps a RecordingWindow and passes it in; nothing here is global. Questions and
// messages go through the Prompter, the creation time comes from the Clock, and what the
// window shows (menus, buttons, the busy pointer, the graph reset) is left to a
// RecordingObserver, so this code runs the same under the desktop program, the command line
// and the tests.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "calibration/CalibrationData.h"
#include "files/DatFile.h"
#include "files/DataFileWriter.h"
#include "files/FileInfo.h"
#include "stream/Clock.h"
#include "stream/Models.h"
#include "stream/Prompter.h"

namespace tidewell {

// The recording files of one window. A writer that is not open is "no file" (file number 0).
struct DataFileState {
    std::string shownRawFile;     // raw file the raw loader showed in the window, else ""
    int64_t rawLoadPosition = 0;  // where the group of points now shown begins
    std::string rawName;          // the name the user chose; "" while unnamed
    std::string rawTempPath;      // the temporary raw file being written
    DataFileWriter rawFile;
    std::string shownDatFile;
    int64_t datLoadPosition = 0;
    std::string datName;
    std::string datTempPath;
    DataFileWriter datFile;
    bool unnamed = false;  // no names chosen yet: Save behaves as Save As
    // The last copy of that file failed: its temporary file is kept when the files close.
    bool rawSaveFailed = false;
    bool datSaveFailed = false;
    double flushedAt = 0;  // when the files were last flushed
};

// What the recording needs to know of its window. The window keeps the fields up to date.
struct RecordingWindow {
    int index = 0;  // window slot 0-5
    DataFileState files;
    bool unsavedData = false;  // text arrived since the last save
    int instrumentType = kUnknownType;
    std::string serialNumber;  // of the connected instrument
    bool connected = false;
    int acquisitionState = 0;  // 2 and 3: data are arriving
    std::string headerText;    // header of the file shown, for the header window
    DataFileInfo fileInfo;     // what the header of the file shown says
    // The window's calibration; without one, an empty calibration stands in.
    const CalibrationDataClass* calibration = nullptr;
};

// The window's side of recording. Every method has a do-nothing default.
class RecordingObserver {
  public:
    virtual ~RecordingObserver() = default;
    // Files were opened: enable the save menu, show the close-file button, disable the
    // calibration menu (and, for the Vantor types, both sigma option buttons), reset the graph.
    virtual void RecordingOpened(const RecordingWindow&) {}
    // Files were closed: disable the save menu entries.
    virtual void RecordingClosed(const RecordingWindow&) {}
    virtual void SetBusy(bool) {}
    // A copy failed. Return true after showing the window's own save-error dialog (which names
    // the file and offers to open its folder); false shows `text` through the Prompter.
    virtual bool ShowSaveError(const std::string& /*path*/, const std::string& /*text*/) {
        return false;
    }
    // The user chose a file type in the save dialog: store it as "SaveLiveType".
    virtual void SaveTypeChosen(int) {}
};

// Settings and program state the recording reads.
struct RecordingSettings {
    HeaderSettings header;         // user header, sigma and pure-water parameters
    bool nameFilesOnOpen = false;  // App/NameFilesOnOpen reads as 1
    int saveLiveType = 1;          // App/SaveLiveType: the save dialog's remembered type
    std::string saveFolder;        // App/SavePath: where the save dialog starts
    int instance = 1;              // this copy of the program's instance number
};

struct RecordingContext {
    Prompter& prompter;
    const Clock& clock;
    RecordingSettings& settings;
    // The temporary folder, ending in a separator (TempPath with the settings store and the
    // environment behind it).
    std::function<std::string()> tempFolder;
    RecordingObserver* observer = nullptr;
};

// Opens the recording files. `kind` is "raw", "rmu" or "" (no raw file); `withDat` asks for a
// calibrated file too. -1 when the user cancelled at the unsaved-data question, else 1.
int OpenDataFiles(RecordingWindow& window, const std::string& kind, bool withDat,
                  RecordingContext& context);

// The raw file header, "[UserHeader]" through "[EndHeader]".
void AppendRawHeader(std::string& out, const RecordingWindow& window, const std::string& kind,
                     const std::string& userHeader, double creationDate);
void WriteRawHeader(const RecordingWindow& window, DataFileWriter& file, const std::string& kind,
                    const std::string& userHeader, double creationDate);

// Every piece of text read from the port: marks the data unsaved and, while a raw file is
// open, writes the text as it came, without adding a line end.
void AppendRaw(RecordingWindow& window, std::string_view text);

// While data arrive, what the recording files buffer is written out when `kFlushSeconds` have
// passed since the last time, so that a crash loses no more than that; a failed write is told.
inline constexpr double kFlushSeconds = 2;
void FlushRecordingIfDue(RecordingWindow& window, double now, Prompter& prompter);

// Save: copies the temporary files over the chosen names and goes on recording (Save As while
// unnamed). -1 when the user cancelled the dialog; 0 when there was nothing to save or a write,
// copy or reopening failed (each is told); 1 when everything was saved.
int SaveFileMenuCommand(RecordingWindow& window, RecordingContext& context);
int SaveAsMenuCommand(RecordingWindow& window, RecordingContext& context);

// Closes the recording, asking first about unsaved data (or data still arriving) unless
// `force`. A temporary file whose last copy failed is not deleted: it is moved aside, so that
// the next recording cannot write over it, and its path is told. -1 when the user cancelled,
// else 1.
int CloseDataFiles(RecordingWindow& window, bool force, RecordingContext& context);

// The answer of the save dialog for recordings.
struct SaveNames {
    bool confirmed = false;
    std::string base;  // the chosen path without its extension
    bool raw = false;  // keep the raw file
    bool dat = false;  // keep the calibrated file
};

// The save dialog for recordings, with the three types "Raw and Calibrated", "Raw Data Only"
// and "Calibrated Data Only". `rememberedType` (1-3) is shown first and receives the choice.
// Files that exist already are replaced only when the user agrees; "No" asks again.
SaveNames AskRecordingNames(Prompter& prompter, const std::string& suggestedPath,
                            int& rememberedType);

}  // namespace tidewell
