#pragma once
// The instrument's own sampling set-up: how often it samples, its start delay, bursts, memory
// use and, on some models, its shutter and fluorescence channels. It is read with
// GETSAMPLEPARAMS (the single-channel models answer four questions, the others their LOG
// listing), edited, and written back with the family's commands, after which it is read again.
//
// The reading and the command building are plain functions over texts; the exchange around
// them sends through SendCommand and waits through a Waiter.

#include <string>
#include <string_view>
#include <vector>

#include "calibration/CalibrationData.h"
#include "instrument/InstrumentRecord.h"
#include "instrument/Waiter.h"
#include "stream/Prompter.h"

namespace tidewell {

class ProgramState;
class ReplyHandlerTable;

// Fluorescence modes of a fluorescence channel.
enum FluorescenceMode : int { kBbOnly = 0, kFlOnly = 1, kTimeShare = 2 };

inline constexpr float kMinimumPeriod = 0.1f;           // seconds
inline constexpr float kTimeShareMinimumPeriod = 0.3f;  // seconds, with bb/fl sharing on
// Seconds an instrument may take to answer the set-up request once it has gone out.
inline constexpr double kSampleParamsReplySeconds = 5;

inline constexpr const char* kSampleParamsLoadingStatus = " loading";
inline constexpr const char* kTimeSharePeriodQuestion =
    "The period must be at least 0.3 when bb/fl sharing is turned on.  Set the period to 0.3 "
    "and continue?";

// The number a reply line states: read from the first position where the rest of the line is
// a number (blanks around it allowed); 0 when there is none.
double ReplyLineNumber(std::string_view line);

// Reads the reply lines of GETSAMPLEPARAMS into `params`. The line that ends the family's
// listing completes the reply: the cycle line for single-channel and Trevan-2 instruments,
// the total-duration line for an instrument without a shutter, the shutter-direction line.
// Returns true when the reply is complete (the complete flag is then set); the shutter-state
// line sets the complete flag without completing the reply.
bool ParseSampleParams(const std::vector<std::string>& lines, int instrumentType, bool hasShutter,
                       SamplingParameters& params);

// Reads the reply of FL: "FL1: <mode>" and "FL2: <mode>". True once the prompt or both lines
// have come.
bool ParseFluorescenceModes(const std::vector<std::string>& lines, SamplingParameters& params);

// The fluorescence channels (first, second) the calibration has: their codes, 0 for none.
std::vector<int> FluorescenceChannels(const CalibrationDataClass& calibration, int instrumentType);

// The rate and period boxes: the reciprocal of a positive value, "0.00"; "" otherwise.
std::string ReciprocalBoxText(double value);

// The period rules of Apply: a period below 0.1 s becomes 0.1 s; on a Vantor whose present
// fluorescence channel shares bb and fluorescence, a period below 0.3 s asks to become 0.3 s.
// False when the user cancelled (nothing may be sent then).
bool ApplyPeriodRules(SamplingParameters& edited, int instrumentType,
                      const CalibrationDataClass& calibration, Prompter& prompter);

// The commands that write `edited` to the instrument, as one text to queue. `current` is the
// set-up last read (a single-channel instrument orders its burst commands by it).
std::string BuildApplyText(int instrumentType, const CalibrationDataClass& calibration,
                           bool hasShutter, const SamplingParameters& current,
                           const SamplingParameters& edited, bool nonvolatile);

// Installs the reply handlers of GETSAMPLEPARAMS and FL.
void RegisterSamplingReplyHandlers(ReplyHandlerTable& table);

// Reads the set-up into the slot's record (on a Vantor with fluorescence channels their modes
// too). False when the instrument did not answer in time or the wait was given up.
bool LoadSampleParams(ProgramState& program, Waiter& waiter, int slot);

enum class ApplyResult {
    kApplied,     // sent, and read back into the slot's record
    kCancelled,   // the user cancelled the period question: nothing was sent
    kNotReloaded  // sent, but the set-up could not be read back
};

// Apply: the period rules, the commands queued, and once they have gone out the set-up read
// again. `edited` receives the period the rules settled on.
ApplyResult ApplySampleParams(ProgramState& program, Waiter& waiter, int slot,
                              SamplingParameters& edited, bool nonvolatile);

}  // namespace tidewell
