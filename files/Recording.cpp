#include "files/Recording.h"

#include <filesystem>
#include <system_error>

#include "files/FilePaths.h"
#include "files/HeaderText.h"

namespace tidewell {

namespace {
const CalibrationDataClass& CalibrationOf(const RecordingWindow& window) {
    static const CalibrationDataClass kEmpty;
    return window.calibration != nullptr ? *window.calibration : kEmpty;
}

bool AnyFileOpen(const DataFileState& f) {
    return f.rawFile.IsOpen() || f.datFile.IsOpen();
}

std::string ErrorNumberText(int number, const std::string& description) {
    return "Error " + std::to_string(number) + " (" + description + ")";
}

// Opens a temporary recording file for writing; on failure says so and forgets the name.
bool OpenTemporary(DataFileWriter& file, const std::string& path, std::string& name,
                   Prompter& prompter) {
    if (file.Open(path, DataFileWriter::Mode::kTruncate)) return true;
    prompter.ShowMessage(OpenErrorText(path, file.ErrorText()));
    name.clear();
    return false;
}

// Tells, once, a write to a recording file that failed since the file was opened.
void TellWriteFailure(DataFileWriter& file, Prompter& prompter) {
    if (file.TakeNewFailure()) prompter.ShowMessage(WriteErrorText(file.Path(), file.ErrorText()));
}

// Copies one temporary file over its chosen name and reopens it so that recording goes on.
// False when a write to the temporary file, the copy or the reopening failed.
bool SaveOne(RecordingWindow& window, DataFileWriter& file, bool& saveFailed,
             const std::string& tempPath, const std::string& name, RecordingContext& context) {
    const bool synced = file.Sync();
    const bool written = file.Close() && synced;
    TellWriteFailure(file, context.prompter);
    int number = 0;
    std::string description;
    const bool copied = CopyFileOver(tempPath, name, number, description);
    if (!copied) {
        std::string text = ErrorNumberText(number, description) + " occurred while saving " + name;
        if (context.observer == nullptr || !context.observer->ShowSaveError(name, text))
            context.prompter.ShowMessage(text);
    }
    saveFailed = !copied;
    const bool reopened = file.Open(tempPath, DataFileWriter::Mode::kAppend);
    if (!reopened) {
        context.prompter.ShowMessage(ErrorNumberText(file.ErrorNumber(), file.ErrorText()) +
                                     " occured while attempting to open " + tempPath +
                                     (copied ? "for writing." : "for appending.") +
                                     "  No new data will be saved.");
    }
    if (copied) window.unsavedData = false;
    return written && copied && reopened;
}

// True when every file to be saved was saved.
bool CopyRecordings(RecordingWindow& window, RecordingContext& context) {
    DataFileState& f = window.files;
    if (context.observer != nullptr) context.observer->SetBusy(true);
    bool saved = true;
    // A name is empty when the chosen file type left that file out.
    if (f.rawFile.IsOpen() && !f.rawName.empty())
        saved &= SaveOne(window, f.rawFile, f.rawSaveFailed, f.rawTempPath, f.rawName, context);
    if (f.datFile.IsOpen() && !f.datName.empty())
        saved &= SaveOne(window, f.datFile, f.datSaveFailed, f.datTempPath, f.datName, context);
    if (context.observer != nullptr) context.observer->SetBusy(false);
    return saved;
}

// Asks for names with the remembered type and stores the type chosen.
SaveNames AskLiveNames(const RecordingWindow& window, RecordingContext& context) {
    const DataFileState& f = window.files;
    std::string suggestion = !f.rawName.empty()   ? WithoutExtension(f.rawName)
                             : !f.datName.empty() ? WithoutExtension(f.datName)
                                                  : context.settings.saveFolder;
    int type = context.settings.saveLiveType;
    SaveNames names = AskRecordingNames(context.prompter, suggestion, type);
    if (names.confirmed) {
        context.settings.saveLiveType = type;
        if (context.observer != nullptr) context.observer->SaveTypeChosen(type);
    }
    return names;
}

// Moves a temporary file that holds unsaved data out of the way of the next recording, which
// would write over it, and tells where it is.
void KeepAside(const std::string& tempPath, Prompter& prompter) {
    const std::string base = WithoutExtension(tempPath);
    const std::string extension = tempPath.substr(base.size());
    std::string kept = tempPath;
    for (int n = 1; n < 1000; ++n) {
        const std::string candidate = base + "-" + std::to_string(n) + extension;
        if (!FileExists(candidate)) {
            std::error_code ec;
            std::filesystem::rename(tempPath, candidate, ec);
            if (!ec) kept = candidate;
            break;
        }
    }
    prompter.ShowMessage("The data that could not be saved are kept in " + kept + ".");
}

void CloseOne(DataFileWriter& file, std::string& tempPath, bool& saveFailed, Prompter& prompter) {
    if (file.IsOpen()) {
        file.Close();
        TellWriteFailure(file, prompter);
    }
    if (saveFailed && FileExists(tempPath))
        KeepAside(tempPath, prompter);
    else
        DeleteFileQuietly(tempPath);
    saveFailed = false;
    tempPath.clear();
}
}  // namespace

SaveNames AskRecordingNames(Prompter& prompter, const std::string& suggestedPath,
                            int& rememberedType) {
    static const char* kTypes =
        "Raw and Calibrated Data (*.raw, *.dat)|*.raw;*.dat|Raw Data Only (*.raw)|*.raw|"
        "Calibrated Data Only (*.dat)|*.dat";
    std::string suggestion = suggestedPath;
    for (;;) {
        int type = rememberedType >= 1 && rememberedType <= 3 ? rememberedType : 1;
        std::string path = prompter.AskSavePathAndType("Save As", suggestion, kTypes, type);
        if (path.empty()) return {};
        if (type < 1 || type > 3) type = 1;
        SaveNames names{true, WithoutExtension(path), type != 3, type != 2};
        const std::string rawPath = names.base + ".raw";
        const std::string datPath = names.base + ".dat";
        const bool rawExists = names.raw && FileExists(rawPath);
        const bool datExists = names.dat && FileExists(datPath);
        int answer = 1;
        if (rawExists && datExists) {
            answer = prompter.Ask(rawPath + " and " + datPath + " already exist.  Replace them?",
                                  {"Yes", "No"});
        } else if (rawExists || datExists) {
            answer = prompter.Ask((rawExists ? rawPath : datPath) + " already exists.  Replace it?",
                                  {"Yes", "No"});
        }
        if (answer == 1) {
            rememberedType = type;
            return names;
        }
        suggestion = path;
    }
}

void AppendRawHeader(std::string& out, const RecordingWindow& window, const std::string& kind,
                     const std::string& userHeader, double creationDate) {
    const CalibrationDataClass& cal = CalibrationOf(window);
    const DataFileState& f = window.files;
    HeaderStart start;
    start.userHeader = userHeader;
    start.creationDate = creationDate;
    start.fileType = kind;
    start.deviceType = ModelName(window.instrumentType);
    if (!f.shownDatFile.empty())
        start.dataSource = f.shownDatFile;
    else if (!f.shownRawFile.empty())
        start.dataSource = f.shownRawFile;
    else if (window.connected || !f.unnamed)
        start.dataSource = window.serialNumber;
    // A calibration read from the instrument itself has no file.
    start.calSource = cal.SourceFile().empty() ? start.deviceType : cal.SourceFile();
    start.serial = cal.Serial;
    start.config = cal.Config;
    AppendHeaderStart(out, start);
    AppendLine(out, "[EndHeader]");
}

void WriteRawHeader(const RecordingWindow& window, DataFileWriter& file, const std::string& kind,
                    const std::string& userHeader, double creationDate) {
    if (!file.IsOpen()) return;
    std::string text;
    AppendRawHeader(text, window, kind, userHeader, creationDate);
    file.Write(text);
}

void AppendRaw(RecordingWindow& window, std::string_view text) {
    window.unsavedData = true;
    window.files.rawFile.Write(text);  // nothing when no raw file is open
}

int OpenDataFiles(RecordingWindow& window, const std::string& kind, bool withDat,
                  RecordingContext& context) {
    if (CloseDataFiles(window, false, context) == -1) return -1;
    DataFileState& f = window.files;
    const bool withRaw = !kind.empty();
    if (withRaw) f.rawName.clear();
    if (withDat) f.datName.clear();
    f.unnamed = true;

    if (context.settings.nameFilesOnOpen && (kind == "raw" || kind.empty())) {
        SaveNames names = AskLiveNames(window, context);
        if (names.confirmed) {  // cancelled: the recording stays unnamed
            if (withRaw && names.raw) f.rawName = names.base + ".raw";
            if (withDat && names.dat) f.datName = names.base + ".dat";
            f.unnamed = false;
        }
    }

    const std::string base = context.tempFolder() + "untitled" +
                             std::to_string(context.settings.instance) +
                             std::to_string(window.index);
    if (withRaw) {
        f.rawTempPath = base + ".raw";
        if (OpenTemporary(f.rawFile, f.rawTempPath, f.rawName, context.prompter))
            WriteRawHeader(window, f.rawFile, kind, context.settings.header.userHeader,
                           context.clock.Now());
    }
    if (withDat) {
        f.datTempPath = base + ".dat";
        if (OpenTemporary(f.datFile, f.datTempPath, f.datName, context.prompter))
            WriteDatHeader(f.datFile, CalibrationOf(window), "", context.settings.header,
                           context.clock.Now());
    }
    if (context.observer != nullptr) context.observer->RecordingOpened(window);
    return 1;
}

void FlushRecordingIfDue(RecordingWindow& window, double now, Prompter& prompter) {
    DataFileState& f = window.files;
    // a clock set back counts as due
    if (now >= f.flushedAt && (now - f.flushedAt) * 86400 < kFlushSeconds) return;
    f.flushedAt = now;
    for (DataFileWriter* file : {&f.rawFile, &f.datFile}) {
        file->Flush();
        TellWriteFailure(*file, prompter);
    }
}

int SaveFileMenuCommand(RecordingWindow& window, RecordingContext& context) {
    if (window.files.unnamed) return SaveAsMenuCommand(window, context);
    return CopyRecordings(window, context) ? 1 : 0;
}

int SaveAsMenuCommand(RecordingWindow& window, RecordingContext& context) {
    DataFileState& f = window.files;
    if (!AnyFileOpen(f)) {
        context.prompter.ShowMessage("No data loaded.  Cannot save any files.");
        return 0;
    }
    SaveNames names = AskLiveNames(window, context);
    if (!names.confirmed) return -1;
    f.rawName = names.raw ? names.base + ".raw" : "";
    f.datName = names.dat ? names.base + ".dat" : "";
    f.unnamed = false;
    return CopyRecordings(window, context) ? 1 : 0;
}

int CloseDataFiles(RecordingWindow& window, bool force, RecordingContext& context) {
    DataFileState& f = window.files;
    const std::string device = ModelName(window.instrumentType);
    if (!force && AnyFileOpen(f)) {
        if (window.unsavedData) {
            int answer = context.prompter.Ask("The graph contains unsaved data from " + device +
                                                  " " + window.serialNumber +
                                                  ".  Save the data before proceeding?",
                                              {"Yes", "No", "Cancel"});
            if (answer == -1) return -1;
            if (answer == 1 && SaveFileMenuCommand(window, context) == -1) return -1;
        } else if (window.acquisitionState == 2 || window.acquisitionState == 3) {
            int answer = context.prompter.Ask(
                "You are receiving data from the " + device + ". Is it OK to close the files now?",
                {"Yes", "Cancel"});
            if (answer != 1) return -1;
        }
    }
    f.shownRawFile.clear();
    f.shownDatFile.clear();
    window.headerText.clear();
    CloseOne(f.rawFile, f.rawTempPath, f.rawSaveFailed, context.prompter);
    CloseOne(f.datFile, f.datTempPath, f.datSaveFailed, context.prompter);
    window.unsavedData = false;
    if (context.observer != nullptr) context.observer->RecordingClosed(window);
    return 1;
}

}  // namespace tidewell
