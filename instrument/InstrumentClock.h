#pragma once
// Three small instrument operations: reading and setting the instrument's clock, resetting an
// instrument that does not answer with a long break on its serial line, and putting it to
// sleep.
//
// The clock is kept as an offset: the instrument's date-time minus the computer's at the moment
// the request finished going out, so that the instrument's time can be shown at any moment as
// the computer's time plus the offset.

#include <string>
#include <string_view>
#include <vector>

#include "instrument/Waiter.h"

namespace tidewell {

class ProgramState;
class ReplyHandlerTable;

// Seconds an instrument may take to answer a clock request once it has gone out.
inline constexpr double kClockReplySeconds = 5;
// The text a clock setting takes on the line ("time,MM/DD/YY HH:MM:SS "): its length decides
// how far ahead a time must be set for instruments that take one character a tick.
inline constexpr int kSetTimeTextLength = 23;
// The reset time the reset dialog proposes, seconds.
inline constexpr double kDefaultResetSeconds = 5;

inline constexpr const char* kClockLoadingText = " loading...";
inline constexpr const char* kSetTimeDialogTitle = "Set Instrument Time & Date";
inline constexpr const char* kResetDialogTitle = "Reset Instrument";
inline constexpr const char* kResetConnectQuestion =
    "Would you like to connect to the instrument now?  Note that after reset the instrument may "
    "require up to 2 minutes to scan its log memory before it will respond to connection "
    "attempts.";

// "MM/DD/YY HH:MM:SS" (24-hour) of a date value, to the nearest second: the form the
// instrument's clock is set with.
std::string InstrumentDateTimeText(double date);

// A date and a time in a reply line ("07/22/10 14:05:00"): true with the date value when the
// line holds both ":" and "/" and reads as one.
bool ReadInstrumentDateTime(std::string_view line, double& date);

// The instrument's date-time in a clock reply: the last line that reads as one. False when
// none does yet.
bool FindInstrumentTime(const std::vector<std::string>& lines, double& date);

// Days to set the clock ahead so that it is right when the text has gone out: none for the
// Vantor family, whose output goes ten characters a tick; for the others, one character a tick,
// the whole text's time.
double ClockLeadDays(int instrumentType, int timerMilliseconds);

// Installs the reply handlers of GETTIME, SETTIME and SETDATE: the offset of the date-time in
// the reply against the time the request finished going out.
void RegisterClockReplyHandlers(ReplyHandlerTable& table);

// Asks the instrument for its time (GETTIME) and waits for the offset. False when it did not
// answer in time.
bool ReadInstrumentClock(ProgramState& program, Waiter& waiter, int slot);

// Sets the instrument's clock to `date` (a date value, the computer's time for "Set to
// Computer"), set ahead by the lead time of the instrument. False when no instrument is
// connected. The instrument's answer, where it gives one, updates the offset.
bool SetInstrumentClock(ProgramState& program, int slot, double date);

// What the reset shows while the break lasts.
class ResetView {
  public:
    virtual ~ResetView() = default;
    // The progress window: caption ("Resetting " + model) and its button ("Stop").
    virtual void Open(const std::string& /*caption*/, const std::string& /*button*/) {}
    // Every pass: the fraction done and "<n> seconds remaining".
    virtual void Progress(double /*fraction*/, const std::string& /*text*/) {}
    virtual void Close() {}
    // The Stop button was pressed.
    virtual bool StopPressed() { return false; }
};

enum class ResetResult {
    kPortNotOpened,  // the message was shown, nothing else changed
    kStopped,        // Stop ended the break early; nothing was asked
    kDone,           // the break lasted its time; the user did not connect
    kConnected,      // ... and the user chose to connect (the connection hook ran)
};

// "<n> seconds remaining", the seconds left rounded to whole seconds.
std::string ResetRemainingText(double secondsLeft);

// Reset: opens `port` at 9600,N,8,1 when the slot's port is closed, holds the break condition
// for `seconds` (or until Stop), clears it, closes the port, and unless stopped offers to
// connect through the program's connection hook.
ResetResult ResetInstrument(ProgramState& program, Waiter& waiter, int slot,
                            const std::string& port, double seconds, ResetView& view);

// Sleep: SETSLEEP, then waits for the instrument to say it sleeps. True when it did within
// the sleep confirmation time.
bool SleepInstrument(ProgramState& program, Waiter& waiter, int slot);

}  // namespace tidewell
