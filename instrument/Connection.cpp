#include "instrument/Connection.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <cmath>

#include "calibration/CalFile.h"
#include "files/FileInfo.h"
#include "files/FilePaths.h"
#include "files/TempFolder.h"
#include "instrument/CalExchange.h"
#include "instrument/Commands.h"
#include "instrument/QtSerialPortIo.h"
#include "stream/DateValue.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

constexpr double kSecondsPerDay = 86400;

std::function<bool()> CancelRequested(const InstrumentRecord& r) {
    return [&r] { return r.cancelRequest == kCancelRequested; };
}

double SecondsSince(const ProgramState& program, double start) {
    return (program.Now() - start) * kSecondsPerDay;
}

// Fails the connection: the identified flag cleared, the cancel request set.
void Fail(InstrumentRecord& r) {
    r.identified = false;
    r.cancelRequest = kCancelRequested;
}

// Queues an identification request and makes "ID" the command whose reply is awaited.
void AskIdentification(ProgramState& program, int slot, std::string_view text) {
    InstrumentRecord& r = program.Slot(slot);
    r.link.state = kLinkNoConnection;
    QueueOutput(program, slot, text);
    r.idComplete = false;
    r.replyLines.clear();
    r.lastCommand = "ID";
    r.commandTime = r.lastSendComplete = program.Now();
}

std::string TwoDigits(int v) {
    v = ((v % 100) + 100) % 100;
    return {static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

// "MM/DD/YYYY HH:MM:SS", the form the reminder date is stored in (read back by ParseCalTime).
std::string ReminderDateText(double date) {
    const CalendarTime t = ToCalendar(date);
    return TwoDigits(t.month) + "/" + TwoDigits(t.day) + "/" + PlainInt(t.year) + " " +
           TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

// The settings section of a calibration's reminder: the instrument it belongs to.
std::string ReminderSection(const CalibrationDataClass& cal) {
    return cal.Serial.empty() ? ModelName(cal.DeviceType) : cal.Serial;
}

// Shows the "Calibration Due" form when the calibration is more than 180 days old and the
// reminder date has passed, and stores the next reminder date chosen.
void CalibrationAgeReminder(ConnectionContext& ctx, int slot, const CalibrationDataClass& cal) {
    ProgramState& program = ctx.program;
    const double today = program.Now();
    if (cal.CalTime <= 0 || today - cal.CalTime <= kCalReminderAgeDays) return;
    const std::string section = ReminderSection(cal);
    const std::optional<std::string> stored = program.store.Find(section, kRemindDateKey);
    // an absent or unreadable date counts as long past
    const double remindDate = stored ? ParseCalTime(*stored, kVantor6) : 0;
    if (today <= remindDate) return;
    const auto days = static_cast<int64_t>(std::floor(today - cal.CalTime));
    const int next = ctx.view().CalReminderForm(slot, CalReminderText(days), program.prompter);
    if (next > 0) program.store.Write(section, kRemindDateKey, ReminderDateText(today + next));
}

// "ttyS2" before "ttyS10": runs of digits compare by value.
bool NameOrder(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigitChar(a[i]) && IsDigitChar(b[j])) {
            size_t ie = i, je = j;
            while (ie < a.size() && IsDigitChar(a[ie])) ++ie;
            while (je < b.size() && IsDigitChar(b[je])) ++je;
            const double x = ReadDecimal(std::string_view(a).substr(i, ie - i));
            const double y = ReadDecimal(std::string_view(b).substr(j, je - j));
            if (x != y) return x < y;
            i = ie;
            j = je;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

}  // namespace

std::string CalibrationTypeMismatchMessage(const std::string& calibrationModel,
                                           const std::string& instrumentModel) {
    return "The current calibration file type (" + calibrationModel +
           ") does not match the detected instrument (" + instrumentModel +
           ").  Load an appropriate calibration file, or select the 'Load Calibration from "
           "Instrument' option.";
}

std::string SerialMismatchQuestion(const std::string& instrumentSerial,
                                   const std::string& calibrationSerial) {
    return "The connected instrument's serial number (" + instrumentSerial +
           ") does not match the currently loaded calibration (" + calibrationSerial +
           ").  Do you wish to select a different calibration?";
}

std::string CalReminderText(int64_t days) {
    return "The calibration stored in this instrument is " + PlainInt(days) +
           " days old.  Corvane recommends calibration every six months or 200 hours of "
           "operation.";
}

std::string SleepQuestion(const std::string& model) {
    return "Put the " + model + " to sleep before disconnecting?";
}

std::string PortNotOpenedMessage(const std::string& port, const std::string& systemText) {
    return "Port " + port + " could not be opened. " + systemText;
}

bool SerialNumbersMatch(std::string_view a, std::string_view b) {
    // here "unknown" counts in any case ("UNKNOWN")
    return EqualsIgnoringCase(a, "unknown") || EqualsIgnoringCase(b, "unknown") ||
           SerialsMatch(a, b);
}

std::string ConnectionStatusText(const InstrumentRecord& record) {
    if (record.identified) return " " + record.modelName + " connected";
    if (record.PortOpen()) return kPortOpenNoInstrumentStatus;
    return kNoConnectionStatus;
}

bool OpenPort(ProgramState& program, int slot, const std::string& port, int32_t baud) {
    InstrumentRecord& r = program.Slot(slot);
    if (r.PortOpen()) r.port->Close();
    r.portName = port;
    r.baudRate = baud;
    // nothing of an earlier link may be taken for the new one's
    r.pendingInput.Clear();
    r.unroutedText.clear();
    r.outputQueue.clear();
    r.blockTransfer = false;
    r.linkLostText.clear();
    if (!r.port || !r.port->Open(port, PortSettingsText(baud))) return false;
    r.port->ClearReceiveBuffer();
    return true;
}

bool PortExists(SerialPortIo& probe, const std::string& port) {
    if (probe.Open(port, PortSettingsText(9600))) {
        probe.Close();
        return true;
    }
    return probe.AlreadyOpen();
}

std::vector<std::string> SerialPortList(const std::vector<std::string>& userPorts) {
    std::vector<std::string> system;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        system.push_back(info.systemLocation().toStdString());
    std::sort(system.begin(), system.end(), NameOrder);
    for (const std::string& p : userPorts)
        if (std::find(system.begin(), system.end(), p) == system.end()) system.push_back(p);
    std::vector<std::string> ports;
    QtSerialPortIo probe;
    for (const std::string& p : system)
        if (PortExists(probe, p)) ports.push_back(p);
    return ports;
}

bool TryPort(ConnectionContext& ctx, int slot, const std::string& port, int32_t baud) {
    ProgramState& program = ctx.program;
    InstrumentRecord& r = program.Slot(slot);
    ConnectionObserver& view = ctx.view();
    if (r.PortOpen()) r.port->Close();
    view.ShowDialogStatus(slot, kSearchingStatus);
    view.ShowWindowStatus(slot, kSearchingStatus);
    view.ShowPortAndRate(slot, port, baud);
    r.identified = false;
    // a port that does not open has nothing to wait for
    if (!OpenPort(program, slot, port, baud)) return false;

    const auto cancelled = CancelRequested(r);
    AskIdentification(program, slot, "\r\rID\r");
    double start = program.Now();
    if (ctx.waiter.Pause(kFirstLookSeconds, cancelled) == WaitResult::kCancelled) return false;
    if (r.idComplete) view.ShowDialogStatus(slot, " Found " + r.modelName);

    bool retried = false;
    while (!r.idComplete) {
        const WaitResult w = ctx.waiter.WaitUntil(
            [&] { return r.idComplete || (!retried && r.link.state != kLinkNoConnection); },
            kIdentifyWaitSeconds - SecondsSince(program, start), cancelled);
        if (w == WaitResult::kCancelled) return false;
        if (w == WaitResult::kTimedOut) {
            r.identified = false;
            r.lastCommand.clear();
            return false;
        }
        if (r.idComplete) break;
        // it is busy with something else, sampling perhaps: stop it and ask once more
        retried = true;
        start = program.Now();
        AskIdentification(program, slot, "STOP\rID\r");
    }

    r.identified = true;
    const int code = ModelCode(r.modelName);
    r.instrumentType = code <= kUnknownType ? code : kUnknownType;
    view.ShowInstrument(slot, r.modelName);
    r.firmwareVersion = "0";
    if (!IsVantorFamily(r.instrumentType)) {
        SendCommand(program, "VER", slot);
        ctx.waiter.WaitUntil([&r] { return ReadDecimal(r.firmwareVersion) != 0; },
                             kVersionWaitSeconds, cancelled);
    }
    r.lastCommand.clear();
    return true;
}

bool SearchInstrument(ConnectionContext& ctx, int slot, const std::vector<std::string>& ports) {
    InstrumentRecord& r = ctx.program.Slot(slot);
    const auto cancelled = CancelRequested(r);
    for (const std::string& port : ports) {
        for (int32_t rate : kSearchRates) {
            if (cancelled()) return false;
            if (TryPort(ctx, slot, port, rate)) {
                ctx.view().ShowDialogStatus(slot, " " + r.modelName + " found");
                ctx.view().ShowInstrument(slot, r.modelName);
                return true;
            }
        }
    }
    return false;
}

void ConnectInstrument(ConnectionContext& ctx, int slot) {
    ProgramState& program = ctx.program;
    InstrumentRecord& r = program.Slot(slot);
    ConnectionObserver& view = ctx.view();
    const auto cancelled = CancelRequested(r);

    view.ShowDialogStatus(slot, " Connecting to " + r.modelName);
    QueueOutput(program, slot, "STOP\r");
    if (r.HasShutter()) {
        if (ctx.waiter.Pause(1, cancelled) == WaitResult::kCancelled) return;
        const auto moving = [&r] {
            return r.link.state == kLinkOpenShutter || r.link.state == kLinkCloseShutter;
        };
        if (moving()) {
            view.ShowDialogStatus(slot, kWaitingForShutterStatus);
            view.ShowWindowStatus(slot, kWaitingForShutterStatus);
            // a shutter that never reports its end is taken as done after the limit
            if (ctx.waiter.WaitUntil([&] { return !moving(); }, kShutterWaitSeconds, cancelled) ==
                WaitResult::kCancelled)
                return;
        }
    }
    if (ctx.waiter.WaitUntil([&r] { return r.outputQueue.empty(); }, kOutputDrainSeconds,
                             cancelled) == WaitResult::kCancelled)
        return;

    if (!ctx.loadCalFromInstrument) {
        const CalibrationDataClass* cal = r.calibration.get();
        if (!r.calibrationLoaded || !cal || cal->DeviceType != r.instrumentType) {
            program.prompter.ShowMessage(
                r.calibrationLoaded && cal
                    ? CalibrationTypeMismatchMessage(ModelName(cal->DeviceType), r.modelName)
                    : kNoCalibrationLoadedMessage);
            Fail(r);
            view.ShowDialogStatus(slot, ConnectionStatusText(r));
            return;
        }
        if (!SerialNumbersMatch(r.serialNumber, cal->Serial) &&
            program.prompter.Ask(SerialMismatchQuestion(r.serialNumber, cal->Serial),
                                 {"Select Cal", "Use Current"}) == 1 &&
            !view.SelectCalibration(slot)) {
            Fail(r);
            return;
        }
    } else {
        if (IsSingleChannel(r.instrumentType) && r.serialNumber.size() < 7) {
            program.prompter.ShowMessage(kOlderFirmwareMessage);
            Fail(r);
            ctx.loadCalFromInstrument = false;
            return;
        }
        view.EnableCalibrationMenu(slot, false);
        ReadCalFromInstrument(ctx, slot);
        CalibrationDataClass& cal = r.Calibration();
        CalibrationAgeReminder(ctx, slot, cal);
        if (r.calibrationLoaded) {
            view.EnableCalibrationMenu(slot, true);
            view.RefreshWindow(slot);
            cal.Serial = r.serialNumber;
            cal.Config = r.identification1;
            cal.Label = r.identification2;
            const std::string folder = WithTrailingSeparator(
                program.settings.TempPath.empty() ? FixedTempFolder() : program.settings.TempPath);
            const std::string path = folder + "temp" + PlainInt(ctx.instance) + ".cal";
            if (cal.SaveCopyToFile(path)) program.settings.CalFile = cal.SavedFile();
        }
    }

    view.ShowInstrumentStatus(slot, r.modelName, r.serialNumber, kDetectedSource,
                              r.firmwareVersion);
    view.RefreshWindow(slot);
}

bool DoConnect(ConnectionContext& ctx, int slot, bool search, const std::string& port, int32_t baud,
               const std::vector<std::string>& ports) {
    ProgramState& program = ctx.program;
    InstrumentRecord& r = program.Slot(slot);
    ConnectionObserver& view = ctx.view();
    for (;;) {
        r.identified = false;
        r.cancelRequest = 0;
        view.ShowDialogStatus(slot, ConnectionStatusText(r));
        view.ShowDialogStatus(slot, kConnectingStatus);
        const bool found =
            search ? SearchInstrument(ctx, slot, ports) : TryPort(ctx, slot, port, baud);
        if (!found) {
            if (search) {
                program.prompter.ShowMessage(kNoInstrumentDetectedMessage);
            } else if (r.PortOpen()) {
                program.prompter.ShowMessage(kNoInstrumentOnPortMessage);
            } else {
                program.prompter.ShowMessage(
                    PortNotOpenedMessage(port, r.port ? r.port->ErrorText() : std::string()));
            }
            Disconnect(ctx, slot);
            r.cancelRequest = kCancelRequested;
            return false;
        }
        ConnectInstrument(ctx, slot);
        if (r.cancelRequest == kCancelRequested) {
            Disconnect(ctx, slot);
            return false;
        }
        view.LockConnectionBoxes(slot);
        if (r.calibrationLoaded && r.identified) {
            view.RebuildInstrumentMenu(slot);
            view.RefreshWindow(slot);
            return true;
        }
        view.Beep();
        if (program.prompter.Ask(kCalibrationRetryQuestion, {"Yes", "Cancel"}) != 1) {
            Disconnect(ctx, slot);
            r.cancelRequest = kCancelRequested;
            return false;
        }
    }
}

bool OpenWithoutIdentifying(ConnectionContext& ctx, int slot, const std::string& port, int32_t baud,
                            int type) {
    ProgramState& program = ctx.program;
    InstrumentRecord& r = program.Slot(slot);
    if (!OpenPort(program, slot, port, baud)) {
        program.prompter.ShowMessage(port + " can not be opened. " +
                                     (r.port ? r.port->ErrorText() : std::string()) + ".");
        return false;
    }
    r.instrumentType = type;
    r.modelName = ModelName(type);
    r.identified = true;
    r.serialNumber.clear();
    r.identification1.clear();
    r.identification2.clear();
    r.firmwareVersion = "0";
    ctx.view().ShowDialogStatus(slot, ConnectionStatusText(r));
    ctx.view().RebuildInstrumentMenu(slot);
    return true;
}

void Disconnect(ConnectionContext& ctx, int slot) {
    InstrumentRecord& r = ctx.program.Slot(slot);
    if (r.port) r.port->Close();
    r.portName.clear();
    r.identified = false;
    r.blockTransfer = false;
    r.link.state = kLinkNoConnection;
    ctx.view().RebuildInstrumentMenu(slot);
}

int DisconnectCommand(ConnectionContext& ctx, int slot) {
    ProgramState& program = ctx.program;
    InstrumentRecord& r = program.Slot(slot);
    // only an identified instrument can be sent to sleep
    if (r.PortOpen() && r.identified && r.link.state != kLinkSleeping) {
        const int answer =
            program.prompter.Ask(SleepQuestion(r.modelName), {"Yes", "No", "Cancel"});
        if (answer == -1) return -1;
        if (answer == 1) {
            SendCommand(program, "SETSLEEP", slot);
            const WaitResult w =
                ctx.waiter.WaitUntil([&r] { return r.link.state == kLinkSleeping; },
                                     kSleepWaitSeconds, CancelRequested(r));
            if (w != WaitResult::kDone &&
                program.prompter.Ask(kSleepNotConfirmedQuestion, {"Yes", "No"}) != 1)
                return -1;
        }
    }
    Disconnect(ctx, slot);
    return 1;
}

}  // namespace tidewell
