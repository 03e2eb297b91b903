#include "instrument/CastTransfer.h"

#include "files/DatFile.h"
#include "files/DataFileWriter.h"
#include "files/FilePaths.h"
#include "instrument/Commands.h"
#include "instrument/OperationWaits.h"
#include "instrument/ProgramState.h"
#include "instrument/ReplyHandler.h"
#include "settings/SettingsKeys.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

constexpr double kSecondsPerDay = 86400.0;

bool IsPrompt(std::string_view line) {
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    return line == ">";
}

bool IsMemoryLine(std::string_view line) {
    return ContainsNoCase(line, "free") || ContainsNoCase(line, "memory");
}

// The listing has ended with its memory line, or with the prompt, after its heading. Lines
// before the heading may be the end of an earlier answer (an erase's prompt). Then every line
// of it goes to the cast-list queue at once: a listing that never ends lists nothing.
void HandleDirectory(ProgramState& program, int slot) {
    InstrumentRecord& r = program.Slot(slot);
    bool heading = false;
    size_t count = 0;  // lines of the listing, 0 while it has not ended
    for (size_t i = 0; i < r.replyLines.size() && count == 0; ++i) {
        const std::string& line = r.replyLines[i];
        if (!heading) {
            heading = ContainsNoCase(line, "duration");
        } else if (IsMemoryLine(line)) {
            count = i + 1;
        } else if (IsPrompt(line)) {
            count = i;
        }
    }
    if (count == 0) return;
    for (size_t i = 0; i < count; ++i) r.castList.Add(r.replyLines[i]);
    r.directoryComplete = true;
    r.lastCommand.clear();
}

// The answer to a deletion or to clearing the log: "deleted" leaves the deleting state for
// "stopped", `refused` (when given) for "no data".
void HandleDeletion(ProgramState& program, int slot, const char* refused) {
    InstrumentRecord& r = program.Slot(slot);
    for (const std::string& line : r.replyLines) {
        const bool ok = ContainsNoCase(line, "deleted");
        if (ok || (refused && ContainsNoCase(line, refused))) {
            r.link.state = ok ? kLinkStopped : kLinkNoData;
            r.lastCommand.clear();
            return;
        }
    }
}

// The folder a base path names its files in: up to its last separator; the current folder
// when it has none.
std::string FolderOf(const std::string& base) {
    size_t at = base.find_last_of(kPathSeparator);
#ifdef _WIN32
    const size_t slash = base.find_last_of('/');
    if (slash != std::string::npos && (at == std::string::npos || slash > at)) at = slash;
#endif
    return at == std::string::npos ? std::string(".") : base.substr(0, at + 1);
}

double SecondsBetween(double from, double to) {
    return (to - from) * kSecondsPerDay;
}

// Opens a cast's file under its final name; the message and false when it cannot be.
bool OpenCastFile(ProgramState& program, DataFileWriter& file, const std::string& path) {
    if (file.Open(path)) return true;
    program.prompter.ShowMessage(OpenErrorText(path, file.ErrorText()));
    return false;
}

// Closes a cast's files: they carry their final names, so nothing is left to save.
void CloseCastFiles(InstrumentRecord& r, RecordingContext& recording) {
    r.recording.files.rawTempPath.clear();
    r.recording.files.datTempPath.clear();
    CloseDataFiles(r.recording, true, recording);
}

enum class CastEnd { kFinished, kEmpty, kCancelled };

// Downloads one cast into the open files: the command, then the progress until the end of
// the cast or a stop.
CastEnd DownloadCast(CastTransferContext& ctx, int slot, const CastEntry& cast) {
    ProgramState& program = ctx.program;
    InstrumentRecord& r = program.Slot(slot);
    const int64_t number = cast.Number(), size = cast.Size();
    SendCommand(program, "download", slot, PlainInt(number));
    // text still waiting for its line end belongs to the cast before: the carriage return of
    // its "End of cast" must not end this one
    r.pendingInput.Clear();
    r.downloading = true;
    r.endOfCast = false;
    r.downloadLineCount = 0;
    program.cancelFlag = 1;

    const auto stopRequested = [&] {
        if (LinkLost(r)()) program.cancelFlag = -1;
        const double quiet =
            SecondsBetween(std::max(r.lastReceiveTime, r.commandTime), program.Now());
        if (ctx.silenceLimitSeconds > 0 && quiet > ctx.silenceLimitSeconds) program.cancelFlag = -1;
        return program.cancelFlag == -1;
    };
    WaitOutputSent(ctx.waiter, r, stopRequested);

    const double start = program.Now();
    DownloadProgress progress(size, 0);
    ctx.View().ShowProgress(0, size, DownloadLabel(number, 0, size), "");
    const auto finished = [&] {
        const int64_t received = r.downloadLineCount;
        if (progress.Update(received, SecondsBetween(start, program.Now()))) {
            ctx.View().ShowProgress(progress.barValue(), size,
                                    DownloadLabel(number, received, size), progress.remaining());
        }
        return r.endOfCast;
    };
    const WaitResult w = ctx.waiter.WaitUntil(finished, kNoTimeLimit, stopRequested);
    r.downloading = false;
    if (w != WaitResult::kDone) return CastEnd::kCancelled;
    return r.downloadLineCount > 0 ? CastEnd::kFinished : CastEnd::kEmpty;
}

}  // namespace

std::string CastWindowTitle(const std::string& instrumentName) {
    return instrumentName + " Logged Data";
}

std::string EmptyCastMessage(int64_t number) {
    return "Cast " + PlainInt(number) + " ended with no sample.";
}

void RegisterCastReplyHandlers(ReplyHandlerTable& table) {
    table.Register("DIR", HandleDirectory);
    table.Register("DELCAST", [](ProgramState& program, int slot) {
        HandleDeletion(program, slot, "no cast");
    });
    table.Register("CLEARLOGCOMMAND",
                   [](ProgramState& program, int slot) { HandleDeletion(program, slot, nullptr); });
}

DirectoryResult LoadCastDirectory(CastTransferContext& ctx, int slot, CastDirectory& directory) {
    ProgramState& program = ctx.program;
    InstrumentRecord& r = program.Slot(slot);
    RegisterCastReplyHandlers(program.replyHandlers);
    directory.Clear();
    if (!SendCommand(program, "DIR", slot)) return DirectoryResult::kCancelled;
    const double start = program.Now();
    // the window looks once a second, the first time after a second
    if (ctx.waiter.Pause(1, LinkLost(r)) == WaitResult::kCancelled) {
        return DirectoryResult::kCancelled;
    }
    for (int look = 2;; ++look) {
        while (r.castList.size() > 0) directory.TakeLine(r.castList.GetNext());
        // whole milliseconds: date values near today carry microseconds of rounding
        const double waited = RoundHalfEven(SecondsBetween(start, program.Now()) * 1000) / 1000;
        ctx.View().ShowStatus(DirectoryStatusText(waited, r.directoryComplete));
        if (r.directoryComplete) return DirectoryResult::kLoaded;
        if (DirectoryTimedOut(waited, false)) {
            if (r.lastCommand == "DIR") r.lastCommand.clear();
            return DirectoryResult::kTimedOut;
        }
        if (ctx.waiter.WaitUntil([&r] { return r.directoryComplete; }, look - waited,
                                 LinkLost(r)) == WaitResult::kCancelled) {
            return DirectoryResult::kCancelled;
        }
    }
}

TransferResult TransferCasts(CastTransferContext& ctx, int slot,
                             const std::vector<CastEntry>& casts, const std::string& base,
                             bool withDat) {
    ProgramState& program = ctx.program;
    InstrumentRecord& r = program.Slot(slot);
    if (r.downloading || r.link.state == kLinkDownloading) {
        program.cancelFlag = -1;
        return TransferResult::kCancelled;
    }
    if (r.link.state == kLinkStarting || r.link.state == kLinkSampling) {
        program.prompter.ShowMessage(kAlreadySendingMessage);
        return TransferResult::kRefused;
    }
    if (r.link.state != kLinkStopped && r.link.state != kLinkNoData) {
        program.prompter.ShowMessage(kNotReadyMessage);
        return TransferResult::kRefused;
    }
    if (!FolderExists(FolderOf(base))) {
        program.prompter.ShowMessage(kPathNotFoundMessage);
        return TransferResult::kRefused;
    }
    std::vector<std::string> rawFiles, datFiles;
    for (const CastEntry& cast : casts) {
        const std::string raw = CastFilePath(base, cast.Number(), ".raw");
        const std::string dat = CastFilePath(base, cast.Number(), ".dat");
        if (FileExists(raw)) rawFiles.push_back(raw);
        if (withDat && FileExists(dat)) datFiles.push_back(dat);
    }
    const std::string question = OverwriteQuestion(rawFiles, datFiles);
    if (!question.empty() && program.prompter.Ask(question, {"Yes", "Cancel"}) != 1) {
        return TransferResult::kRefused;
    }

    CastTransferView& view = ctx.View();
    view.TransferRunning(true);
    TransferResult result = TransferResult::kComplete;
    for (const CastEntry& cast : casts) {
        r.SyncRecordingWindow();
        if (CloseDataFiles(r.recording, false, ctx.recording) == -1) {
            result = TransferResult::kCancelled;
            break;
        }
        DataFileState& files = r.recording.files;
        const int64_t number = cast.Number();
        const std::string raw = CastFilePath(base, number, ".raw");
        const std::string dat = withDat ? CastFilePath(base, number, ".dat") : std::string();
        if (!OpenCastFile(program, files.rawFile, raw)) {
            result = TransferResult::kFailed;
            break;
        }
        files.rawName = raw;
        files.unnamed = false;
        const double now = program.Now();
        WriteRawHeader(r.recording, files.rawFile, "raw", ctx.recording.settings.header.userHeader,
                       now);
        if (withDat) {
            if (!OpenCastFile(program, files.datFile, dat)) {
                CloseCastFiles(r, ctx.recording);
                result = TransferResult::kFailed;
                break;
            }
            files.datName = dat;
            WriteDatHeader(files.datFile, r.Calibration(), CastDataSource(number),
                           ctx.recording.settings.header, now);
        }
        program.store.Write(keys::DownloadDAT, withDat ? "1" : "0");

        const CastEnd end = DownloadCast(ctx, slot, cast);
        if (end == CastEnd::kCancelled) {
            SendCommand(program, "stop", slot);
            program.prompter.ShowMessage(kTransferCancelledMessage);
            CloseCastFiles(r, ctx.recording);
            result = TransferResult::kCancelled;
            break;
        }
        CloseCastFiles(r, ctx.recording);
        if (end == CastEnd::kEmpty) {
            // its files stay as they came, and the transfer goes on with the next cast
            program.prompter.ShowMessage(EmptyCastMessage(number));
            result = TransferResult::kEmptyCast;
            continue;
        }
        view.CastDone(number, raw, dat);
    }
    if (result == TransferResult::kComplete) program.prompter.ShowMessage(kTransferCompleteMessage);
    if (result == TransferResult::kComplete || result == TransferResult::kEmptyCast) {
        r.link.state = kLinkStopped;
    }
    program.cancelFlag = 0;
    view.TransferRunning(false);
    return result;
}

DeleteResult DeleteCasts(CastTransferContext& ctx, int slot, const std::vector<CastEntry>& listed,
                         std::vector<bool>& selected) {
    ProgramState& program = ctx.program;
    InstrumentRecord& r = program.Slot(slot);
    selected.resize(listed.size(), false);
    std::vector<int64_t> numbers;
    for (size_t i = 0; i < listed.size(); ++i) {
        if (selected[i]) numbers.push_back(listed[i].Number());
    }
    if (numbers.empty()) {
        program.prompter.ShowMessage(kSelectCastsMessage);
        return DeleteResult::kNoneChosen;
    }
    if (program.prompter.Ask(DeleteQuestion(numbers, listed.size()), {"Delete", "Don't Delete"}) !=
        1) {
        return DeleteResult::kDeclined;
    }
    RegisterCastReplyHandlers(program.replyHandlers);
    const auto stopRequested = [&] { return program.cancelFlag == -1 || LinkLost(r)(); };
    // the deleting state lasts until the instrument says "deleted" (stopped), that there is no
    // such cast, or the no-data rule finds it silent (no data); false when it outlasted the
    // limit or the wait was given up
    const auto deletingEnded = [&](const char* command) {
        const WaitResult w =
            ctx.waiter.WaitUntil([&r] { return r.link.state != kLinkDeletingCast; },
                                 OutputDrainSeconds(r) + kDeleteWaitSeconds, stopRequested);
        if (r.lastCommand == command) r.lastCommand.clear();
        if (w == WaitResult::kDone) return true;
        r.link.state = kLinkNoData;
        return false;
    };

    bool allDeleted = true;
    for (size_t i = 0; i < listed.size(); ++i) {
        if (!selected[i]) continue;
        SendCommand(program, "DELCAST", slot, PlainInt(listed[i].Number()));
        if (!deletingEnded("DELCAST")) return DeleteResult::kFailed;
        // only the instrument's "deleted" confirms it
        if (r.link.state == kLinkStopped) {
            selected[i] = false;
        } else {
            allDeleted = false;
        }
    }
    if (!allDeleted) return DeleteResult::kFailed;
    if (numbers.size() == listed.size()) {
        // with every cast gone the log is cleared too, which starts the cast numbers again; the
        // instrument asks for a "Y" first
        r.lastCommand = "CLEARLOGCOMMAND";
        r.replyLines.clear();
        r.commandTime = r.lastSendComplete = program.Now();
        r.link.state = kLinkDeletingCast;
        r.port->Write("CLEARLOG\r");
        if (ctx.waiter.Pause(kEraseConfirmPauseSeconds, stopRequested) == WaitResult::kCancelled) {
            r.link.state = kLinkNoData;
            r.lastCommand.clear();
            return DeleteResult::kFailed;
        }
        r.port->Write("Y\r");
        if (!deletingEnded("CLEARLOGCOMMAND")) return DeleteResult::kFailed;
    }
    return DeleteResult::kDeleted;
}

bool EraseCasts(CastTransferContext& ctx, int slot, CastDirectory& directory) {
    ProgramState& program = ctx.program;
    InstrumentRecord& r = program.Slot(slot);
    ctx.View().Beep();
    if (program.prompter.Ask(EraseQuestion(r.modelName), {"Erase", "No"}) != 1) return false;
    RegisterCastReplyHandlers(program.replyHandlers);
    SendCommand(program, "CLEARLOGCOMMAND", slot);
    LoadCastDirectory(ctx, slot, directory);
    return true;
}

}  // namespace tidewell
