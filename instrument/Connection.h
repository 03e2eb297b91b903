#pragma once
// The serial link of a data window and the connection to its instrument: opening the port,
// the list of ports, the identification handshake and the automatic search over ports and
// rates, the checks that tie the instrument to a calibration (or the reading of the
// calibration from the instrument), the calibration-age reminder, and disconnecting.
//
// Every wait lets the program run (the input ticks bring the replies), has a time limit and
// gives up when the slot's cancel request is set; every message goes through the Prompter.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "instrument/ConnectionContext.h"

namespace tidewell {

// The rates the search tries, in order (115200 is never searched).
inline constexpr int32_t kSearchRates[] = {19200, 9600, 38400, 57600, 4800};
// The rates the connection dialog offers.
inline constexpr int32_t kOfferedRates[] = {4800, 9600, 19200, 38400, 57600, 115200};

// Seconds: the identification reply, the version reply and the sleep confirmation each get 3.
inline constexpr double kIdentifyWaitSeconds = 3;
inline constexpr double kFirstLookSeconds = 1;  // the first look at the identification reply
inline constexpr double kVersionWaitSeconds = 3;
inline constexpr double kSleepWaitSeconds = 3;
// A shutter that does not report its end within this time is taken as done.
inline constexpr double kShutterWaitSeconds = 30;
// Output still queued after this time is left to the input tick.
inline constexpr double kOutputDrainSeconds = 10;
// The calibration reminder shows when the calibration is older than this many days.
inline constexpr double kCalReminderAgeDays = 180;

inline constexpr const char* kRemindDateKey = "RemindDate";
inline constexpr const char* kDetectedSource = "Detected";

// Status texts.
inline constexpr const char* kSearchingStatus = " Searching";
inline constexpr const char* kConnectingStatus = "Connecting";
inline constexpr const char* kWaitingForShutterStatus = "Waiting for shutter";
inline constexpr const char* kNoConnectionStatus = " No Connection";
inline constexpr const char* kPortOpenNoInstrumentStatus = " Port open, no instrument";

// Messages and questions.
inline constexpr const char* kNoCalibrationLoadedMessage =
    "No calibration file is loaded.  Load an appropriate calibration file, or select the 'Load "
    "Calibration from Instrument' option.";
inline constexpr const char* kOlderFirmwareMessage =
    "The detected instrument has older firmware that does not support internal calibration "
    "data.  Use the Select Calibration File command under the File menu to load a suitable "
    "calibration.";
inline constexpr const char* kCalibrationRetryQuestion =
    "Some calibration information did not load properly.  Try again?";
inline constexpr const char* kNoInstrumentDetectedMessage = "No instrument was detected.";
inline constexpr const char* kNoInstrumentOnPortMessage =
    "No instrument was detected.  If an instrument is connected but asleep, it may connect on a "
    "second attempt.  If not, check your connections and be sure the port and baud rate are "
    "correct.";
inline constexpr const char* kSleepNotConfirmedQuestion =
    "The instrument did not confirm the sleep command.  Disconnect anyway?";
inline constexpr const char* kCalDueCaption = "Calibration Due";
inline constexpr const char* kSearchCaption = "Search";

// "The current calibration file type (" ... ") does not match the detected instrument (" ...
std::string CalibrationTypeMismatchMessage(const std::string& calibrationModel,
                                           const std::string& instrumentModel);
// "The connected instrument's serial number (" ... ").  Do you wish to select a different
// calibration?"
std::string SerialMismatchQuestion(const std::string& instrumentSerial,
                                   const std::string& calibrationSerial);
// "The calibration stored in this instrument is " + days + " days old.  ..."
std::string CalReminderText(int64_t days);
// "Put the " + model + " to sleep before disconnecting?"
std::string SleepQuestion(const std::string& model);
// "Port " + port + " could not be opened. " + the system's text.
std::string PortNotOpenedMessage(const std::string& port, const std::string& systemText);

// Two serial numbers belong to the same instrument: SerialsMatch, with "unknown" in any case.
bool SerialNumbersMatch(std::string_view a, std::string_view b);

// The connection dialog's status text for the slot.
std::string ConnectionStatusText(const InstrumentRecord& record);

// Closes the port if open, opens it on `port` at `baud` (",N,8,1"), and empties the receive
// buffer and whatever the slot still held of an earlier link (pending input, unrouted text,
// queued output). False when it could not be opened: the port's ErrorText tells why.
bool OpenPort(ProgramState& program, int slot, const std::string& port, int32_t baud);

// The port can be had: it opens, or it is held by someone already. `probe` is left closed.
bool PortExists(SerialPortIo& probe, const std::string& port);

// The ports to offer and to search: the system's serial devices in name order, then the device
// paths the user gave; only those that exist.
std::vector<std::string> SerialPortList(const std::vector<std::string>& userPorts = {});

// One identification attempt on a port at a rate: true when an instrument answered "ID" (the
// slot is then identified and knows the model, serial number and firmware version). An
// instrument that sends something else (it is sampling, or waking up) is asked once more with
// "STOP" and "ID".
bool TryPort(ConnectionContext& ctx, int slot, const std::string& port, int32_t baud);

// The automatic search: every port of `ports` at every rate of kSearchRates. True when an
// instrument answered; false when none did or a cancel was requested.
bool SearchInstrument(ConnectionContext& ctx, int slot, const std::vector<std::string>& ports);

// Everything after a successful identification: stops the instrument, waits for its shutter,
// checks the loaded calibration against it (or reads the calibration from the instrument, with
// the calibration-age reminder and the temporary calibration file). Failures clear the
// identified flag and set the cancel request, with their message.
void ConnectInstrument(ConnectionContext& ctx, int slot);

// The connection dialog's connect action: the search over `ports`, or one attempt on `port` at
// `baud`, then ConnectInstrument, with the dialog's messages. True when the slot has an
// identified instrument and a calibration; otherwise the port is closed and the cancel
// request set.
bool DoConnect(ConnectionContext& ctx, int slot, bool search, const std::string& port, int32_t baud,
               const std::vector<std::string>& ports);

// "Open port without identifying instrument": opens the port and takes the instrument to be of
// `type`, sending nothing. False with "<port> can not be opened. <reason>." when the port
// cannot be opened.
bool OpenWithoutIdentifying(ConnectionContext& ctx, int slot, const std::string& port, int32_t baud,
                            int type);

// Closes the port and forgets the instrument.
void Disconnect(ConnectionContext& ctx, int slot);

// The window's disconnect command: offers to put an awake instrument to sleep first. -1 when
// the user cancelled (nothing was closed), 1 when disconnected.
int DisconnectCommand(ConnectionContext& ctx, int slot);

}  // namespace tidewell
