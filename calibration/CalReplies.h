#pragma once
// What the instruments answer when the program reads their calibration: the whole calibration
// as calibration-file text ("sendcal"), the global dump ("gcf"), the per-channel dumps ("ccl",
// "CCF"), and the single-channel models' 128-byte binary image ("dumpcfg"). Each reply arrives
// as the reply lines the serial input loop collected; these functions only read them.

#include <string>
#include <string_view>
#include <vector>

#include "calibration/CalibrationData.h"
#include "stream/Prompter.h"

namespace tidewell {

// A "sendcal" reply is complete when a line holds "[End]" and at least this many lines came,
// or when line i holds "[Channel8]" and at least i + kLinesAfterChannel8 lines came.
inline constexpr size_t kMultiCalMinLines = 54;
inline constexpr size_t kLinesAfterChannel8 = 17;

// The whole calibration as text. When the reply is complete, every line is read in order into
// `cal` (one section for the whole reply) and the result is true; otherwise nothing is read.
bool CompleteMultiCal(const std::vector<std::string>& lines, CalibrationDataClass& cal);
// The same, complete at the "[End]" line whatever the count.
bool CompleteCalText(const std::vector<std::string>& lines, CalibrationDataClass& cal);

// The instrument's prompt: a line that begins with ">" once blanks are dropped. A dump is over
// when the prompt follows it.
bool IsPromptLine(std::string_view line);

// One line of the global dump: the field it sets, tested in a fixed order on the lower-cased
// line, the first match winning. kNone when it sets nothing.
enum class GlobalField {
    kNone,
    kMaxDepth,
    kSerial,
    kConfig,
    kCalTime,
    kFirmware,
    kCalTemp,
    kModel,
    kDepthOffset,
    kDepthCoefficient,
    kLabel,
};
GlobalField GlobalDumpField(std::string_view line);

// The global dump into `cal`; the firmware version, when a line gives it, into `firmware`.
void ParseGlobalDump(const std::vector<std::string>& lines, CalibrationDataClass& cal,
                     std::string& firmware);
// The global dump has come: a prompt after at least one line that sets a field (a prompt left
// over from an earlier command does not end it).
bool GlobalDumpComplete(const std::vector<std::string>& lines);

// A channel dump ("ccl" or "CCF"). Its "Channel n (name)" line sets the channel the following
// lines are about (n - 1) and the channel's name; `channel` is the one assumed before such a
// line. Lines about a channel outside the calibration's records are skipped.
void ParseChannelDump(const std::vector<std::string>& lines, CalibrationDataClass& cal,
                      int channel);
// One value line of a channel dump for channel `chan` (gain line "' Gg:gain:dark:nominal:fl",
// "mu", "muRho", "Rnom", "Roo", "kbb", "kc", "kSigmaExp", "kSigma0..2", "Kt"); tested in that
// order, case-sensitive, the first match winning. The value is the number after the first ":".
void ParseChannelValueLine(std::string_view line, int chan, CalibrationDataClass& cal);
// A channel dump has come: a prompt after its "Channel" line.
bool ChannelDumpComplete(const std::vector<std::string>& lines);

// The message when the image file cannot be opened: "Error opening calibration file '" + path +
// "': " + error number + " (" + description + ").  Calibration data not valid.".
std::string BinaryCalibrationOpenError(const std::string& path, int errorNumber);

// Reads a 128-byte image file into the single-channel fields of `cal` and names the channels as
// a file load does. False, with the message above, when the file cannot be opened; a shorter
// file reads as if padded with zero bytes.
bool LoadBinaryCalibration(const std::string& path, CalibrationDataClass& cal, Prompter& prompter);

}  // namespace tidewell
