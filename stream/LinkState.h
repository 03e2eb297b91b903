#pragma once
// The link state of a connection: one small number telling what the instrument is doing,
// worked out from fixed phrases in the text it sends, from the commands sent to it and from
// silence. The status line shows it as text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell {

enum LinkStateCode : int32_t {
    kLinkUnknown = 0,
    kLinkNoConnection = 1,  // port closed, or awaiting identification
    kLinkStarting = 2,      // the instrument announced a delayed start
    kLinkSampling = 3,
    kLinkStopped = 4,
    kLinkSleeping = 5,
    kLinkWaking = 6,
    kLinkDownloading = 7,  // data arriving during a cast transfer
    kLinkPending = 8,
    kLinkStopPending = 9,    // after a stop command
    kLinkStartPending = 10,  // after a start command
    kLinkNoData = 11,
    kLinkOpenShutter = 12,
    kLinkCloseShutter = 13,
    kLinkDeletingCast = 14,
};

struct LinkState {
    int32_t state = kLinkNoConnection;
    int32_t previousState = kLinkUnknown;  // the state the last status refresh showed
    int16_t countdown = 0;                 // seconds until a delayed start, as announced
};

// A complete line from the instrument. Star packets mean sampling (downloading during a cast
// transfer); other lines are searched for the phrases of prompts and progress reports, and a
// decimal data line also means sampling. Text that matches nothing changes nothing.
void ApplyLinePhrases(std::string_view line, bool downloading, LinkState& link);

// The start of a line whose carriage return has not come yet: the shutter and "..done" prompts
// arrive without a line end and must act at once.
void ApplyPartialLinePhrases(std::string_view partial, LinkState& link);

// A line beginning with "!" is a message for the user, except the erase prompt while the log
// is being cleared and the report of a finished transfer.
bool IsInstrumentMessage(std::string_view line, std::string_view lastCommand);
// The text shown for it: the instrument's serial number, ": " and the line after its "!".
std::string InstrumentMessageText(std::string_view serialNumber, std::string_view line);

// The silence rule of the status update, run on every tick before the state is shown. Times are
// date values. Holds "Pending" for 4 s after a stop request was sent while data still arrive,
// and for 11 s after the last text while a start request waits for data; turns any live state
// into "No Data" after 11 s without text (never a sleeping or unconnected one). True when the
// display is to be refreshed (the state changed, a start countdown is running, or `force`);
// previousState then takes the state.
bool ApplyNoDataRule(LinkState& link, double now, double lastReceive, double lastSendComplete,
                     bool force);
// When ApplyNoDataRule will next change the state if no text comes meanwhile (a date-time
// value); +infinity when it never will. A program that does not look at the state every few
// milliseconds looks at it again then.
double NoDataRuleDue(const LinkState& link, double lastReceive, double lastSendComplete);

// The status text of a state: "Starting:" with the countdown and " s" while starting; nothing
// for a cast being deleted (the status keeps what it showed) and for codes outside the table.
std::optional<std::string> LinkStatusText(int32_t state, int16_t countdown);

}  // namespace tidewell
