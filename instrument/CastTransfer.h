#pragma once
// Cast transfer: the casts an instrument logged in its memory are listed, downloaded into raw
// files (and calibrated files, converted as they arrive), deleted one by one on a Trevan-2, or
// erased all at once on the other instruments.
//
// The instrument's bytes come in through the window's input tick exactly as during a live
// recording: while a cast downloads the tick writes every piece of text to the cast's raw file
// and converts every sample line into its calibrated file, counts the sample lines and notices
// the end of the cast. This side opens the files, starts each download, follows its progress
// and closes the files when the cast has ended.

#include <cstdint>
#include <string>
#include <vector>

#include "files/CastList.h"
#include "files/Recording.h"
#include "instrument/Waiter.h"

namespace tidewell {

class ProgramState;
class ReplyHandlerTable;

// Seconds a cast may take to be deleted, and the pause between the erase command and its "Y".
inline constexpr double kDeleteWaitSeconds = 60;
inline constexpr double kEraseConfirmPauseSeconds = 0.2;

inline constexpr const char* kAlreadySendingMessage =
    "Downloading cannot begin if the instrument is already sending data.  Use the Stop command "
    "before proceeding.";
inline constexpr const char* kNotReadyMessage =
    "Be sure the sensor is connected, awake and stopped before downloading.";
inline constexpr const char* kPathNotFoundMessage =
    "The file path could not be found.  Specify a valid path.";
inline constexpr const char* kTransferCancelledMessage = "Transfer Cancelled";
inline constexpr const char* kTransferCompleteMessage = "Transfer Complete";
inline constexpr const char* kSelectCastsMessage = "Select one or more casts to delete.";

// The transfer window's title: the instrument's name and " Logged Data".
std::string CastWindowTitle(const std::string& instrumentName);
// A cast whose download ended before any sample came: "Cast 5 ended with no sample."
std::string EmptyCastMessage(int64_t number);

// What the transfer window shows. Every method has a do-nothing default.
class CastTransferView {
  public:
    virtual ~CastTransferView() = default;
    // The status line under the list (" Loading directory...", " Loaded", ...).
    virtual void ShowStatus(const std::string& /*text*/) {}
    // A cast's download: the bar (value of range), the label "Cast3: 120 /200" and the
    // remaining time ("0:01:05 remaining", empty before the first estimate).
    virtual void ShowProgress(int64_t /*value*/, int64_t /*range*/, const std::string& /*label*/,
                              const std::string& /*remaining*/) {}
    // A transfer started or ended: the buttons other than Stop are locked meanwhile.
    virtual void TransferRunning(bool /*running*/) {}
    // A cast's files are complete.
    virtual void CastDone(int64_t /*number*/, const std::string& /*rawPath*/,
                          const std::string& /*datPath*/) {}
    virtual void Beep() {}
};

struct CastTransferContext {
    CastTransferContext(ProgramState& programIn, Waiter& waiterIn, RecordingContext& recordingIn)
        : program(programIn), waiter(waiterIn), recording(recordingIn) {}

    ProgramState& program;
    Waiter& waiter;
    // The window's recording: the user header and correction parameters of the file headers.
    RecordingContext& recording;
    CastTransferView* view = nullptr;  // none: nothing is shown
    // A download that receives nothing for this many seconds is stopped as by the Stop button
    // (0: it waits as long as it takes, for a person to stop it).
    double silenceLimitSeconds = 0;

    CastTransferView& View() { return view ? *view : quiet_; }

  private:
    CastTransferView quiet_;
};

// Installs the reply handlers of DIR, DELCAST and CLEARLOGCOMMAND. The directory's lines go to
// the slot's cast-list queue; the listing has ended with its memory line or its prompt after
// the heading. The instrument's "deleted" ends the deleting state of a deletion or of clearing
// the log (4, stopped); "no cast" ends that of a deletion (11, no data).
void RegisterCastReplyHandlers(ReplyHandlerTable& table);

enum class DirectoryResult { kLoaded, kTimedOut, kCancelled };

// Refresh: sends DIR and builds the listing from the lines as they come, one look a second,
// showing the status, for at most 20 s.
DirectoryResult LoadCastDirectory(CastTransferContext& ctx, int slot, CastDirectory& directory);

enum class TransferResult {
    kComplete,   // every cast downloaded: "Transfer Complete"
    kEmptyCast,  // every cast came to its end, but one or more brought no sample (each said)
    kCancelled,  // stopped by the user (or by silence): "Transfer Cancelled"
    kRefused,    // not started: the instrument was not ready, the path wrong, or no overwrite
    kFailed,     // a file could not be opened; the files already written stay
};

// Transfer: downloads each of `casts` in turn into base + number + ".raw" and, with `withDat`,
// ".dat". Called while a transfer runs, it asks that transfer to stop instead. A stop leaves
// STOP queued: the port must stay open until it has gone out.
TransferResult TransferCasts(CastTransferContext& ctx, int slot,
                             const std::vector<CastEntry>& casts, const std::string& base,
                             bool withDat);

enum class DeleteResult {
    kDeleted,     // every selected cast deleted (with all of them, the log cleared too)
    kNoneChosen,  // nothing selected: the message was shown
    kDeclined,    // the user chose not to delete
    kFailed,      // a deletion was not confirmed, or the deleting state outlasted its limit
};

// Delete (Trevan-2): the selected casts one by one, each waited for while the deleting state
// lasts, unselecting each entry the instrument said "deleted" to; when all listed casts were
// selected and deleted, the log is cleared as well to reset the cast counter, waited for the
// same way (the instrument's "deleted" or the no-data rule ends it).
DeleteResult DeleteCasts(CastTransferContext& ctx, int slot, const std::vector<CastEntry>& listed,
                         std::vector<bool>& selected);

// Erase (other instruments): asks, then clears the whole log and lists the casts again. False
// when the user declined.
bool EraseCasts(CastTransferContext& ctx, int slot, CastDirectory& directory);

}  // namespace tidewell
