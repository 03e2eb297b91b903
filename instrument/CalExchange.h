#pragma once
// Reading an instrument's calibration and sending one back. The Vantor and Trevan-2
// instruments exchange text: the whole calibration in the calibration-file layout ("sendcal"),
// or a global dump and one dump per channel; uploads go channel by channel. The single-channel
// models exchange their 128-byte binary image in one block.
//
// Commands go out through SendCommand; the replies are the reply lines the input tick collects,
// read by the reply handlers registered here for the outstanding command. Every wait has a
// limit, and ends when the port closes or a cancel is requested.

#include <memory>
#include <string>

#include "calibration/CalibrationData.h"
#include "instrument/ConnectionContext.h"

namespace tidewell {

// Seconds a calibration reply may take.
inline constexpr double kCalReplySeconds = 10;
// Seconds an upload step may take to be answered by the prompt, once its line has gone out.
inline constexpr double kUploadStepSeconds = 5;
// Seconds the single-channel instrument may take to answer each part of a binary upload.
inline constexpr double kBinaryAnswerSeconds = 3;
inline constexpr int kBinaryUploadAttempts = 4;

// Pending-command names of the exchanges (their reply handlers are registered under these).
inline constexpr const char* kMultiCalCommand = "MULTICCAL";
inline constexpr const char* kLoadCfgCommand = "LOADCFG";

// Status texts.
inline constexpr const char* kLoadingCalibrationStatus = " Loading Calibration";
inline constexpr const char* kLoadingCalibrationWindowStatus = "Loading calibration";
inline constexpr const char* kCheckingGlobalStatus = "Checking global data";
inline constexpr const char* kSendingCalibrationStatus = "Sending Calibration Data";
inline constexpr const char* kSendingGlobalStatus = "Sending global information";
inline constexpr const char* kComparingStatus = "Comparing Calibration";
inline constexpr const char* kRetrievingStatus = "Retrieving...";
inline constexpr const char* kStoringChannelStatus = "Storing channel data";
inline constexpr const char* kSavingNonvolatileStatus = "Saving nonvolatile data";
inline constexpr const char* kStoringGlobalStatus = "Storing global data";

// Messages and questions.
inline constexpr const char* kSendWarningQuestion =
    "IMPORTANT: Corvane cannot accept responsibility for changes you make to your instrument's "
    "calibration.  Are you sure you wish to proceed?";
inline constexpr const char* kReadBackFailedQuestion =
    "Data were not received properly from the instrument.  Check the connections and try "
    "again.  If you cancel, you must close the calibration dialog and reconnect to the "
    "instrument.";
inline constexpr const char* kNotCompletelyLoadedMessage =
    "The calibration was not completely loaded.  You should send it again or reset the "
    "instrument to restore its internal calibration.";
inline constexpr const char* kBadParametersMessage =
    "The calibration was not sent to the instrument because of an error in the calibration "
    "parameters.";
inline constexpr const char* kNoLoadResponseMessage =
    "The calibration could not be loaded because the instrument did not respond to the "
    "calibration command.";
inline constexpr const char* kBinaryStoredMessage =
    "The calibration was successfully loaded and stored.";
inline constexpr const char* kBinaryNotConfirmedMessage =
    "The instrument did not confirm the calibration was saved.  You may need to send it again.";

// "The calibration did not load properly (error code " + code + ").  Please try again."
std::string CalibrationVerifyFailedMessage(int32_t code);
// "The calibration has been loaded and verified.  Store it in the " + model + "'s nonvolatile
// memory?"
std::string StoreCalibrationQuestion(const std::string& model);
// "The load failed in " + attempts + " attempts due to an unknown error."
std::string BinaryLoadFailedMessage(int attempts);

// Installs the reply handlers of the calibration exchanges (GCF, CCL, CCF, MAKEINI, DUMPCFG,
// MULTICCAL). Every exchange below installs them itself before it sends anything.
void RegisterCalibrationReplyHandlers(ReplyHandlerTable& table);

// The calibration as text ("sendcal") into the slot's calibration, which is cleared first and
// takes the slot's instrument type. False when the reply did not come within 10 s.
bool ReadCalFromVN(ConnectionContext& ctx, int slot);
// The global dump and one dump per channel (with the channel-map dump on a Vantor-6). False on
// the first reply that did not come.
bool ReadCalPerChannel(ConnectionContext& ctx, int slot);
// The single-channel binary image ("dumpcfg"), received in one block into a temporary file and
// loaded from there. True when the image came.
bool ReadCalFromXLumo(ConnectionContext& ctx, int slot);
// The read of the instrument's family, setting the slot's calibration-loaded flag on success:
// the whole text for the Vantor and Trevan-2 instruments (a Vantor whose firmware does not
// answer it is read per channel), the binary image for the single-channel models.
bool ReadCalFromInstrument(ConnectionContext& ctx, int slot);

// The instrument's calibration, read as ReadCalFromInstrument reads it but into a calibration of
// its own: the slot keeps its calibration and its calibration-loaded flag. Null when the read
// failed.
std::shared_ptr<CalibrationDataClass> ReadCalibrationAside(ConnectionContext& ctx, int slot);

// Sends a calibration to a Vantor instrument channel by channel, reads it back and compares,
// and offers to store it in the instrument's nonvolatile memory. True when it was sent and
// verified. The caller asks kSendWarningQuestion first.
bool SendToVN(ConnectionContext& ctx, int slot, const CalibrationDataClass& cal);
// Sends a calibration to a single-channel instrument as its binary image. True when the
// instrument confirmed that it stored it. The caller asks kSendWarningQuestion first.
bool SendToXLumo(ConnectionContext& ctx, int slot, const CalibrationDataClass& cal);

}  // namespace tidewell
