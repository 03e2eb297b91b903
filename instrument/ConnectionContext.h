#pragma once
// What connecting to an instrument and exchanging its calibration need besides the program
// state: a way to wait (the event loop in the desktop program, a stepped clock in tests), the
// window and dialog that show the progress, and the choices of the connection dialog.

#include <cstdint>
#include <string>

#include "calibration/SigmaModel.h"
#include "instrument/ProgramState.h"
#include "instrument/Waiter.h"

namespace tidewell {

// What the connection dialog, the data window and the calibration window show while an
// instrument is connected or its calibration exchanged. Every method has a default; the
// defaults show nothing and answer as a person who cannot be asked would.
class ConnectionObserver {
  public:
    virtual ~ConnectionObserver() = default;
    // The connection dialog's "Status:" text.
    virtual void ShowDialogStatus(int /*slot*/, const std::string& /*text*/) {}
    // The data window's status text and status-bar panels.
    virtual void ShowWindowStatus(int /*slot*/, const std::string& /*text*/) {}
    // The port and rate being tried, for the dialog's boxes.
    virtual void ShowPortAndRate(int /*slot*/, const std::string& /*port*/, int32_t /*baud*/) {}
    // The model found, for the dialog's instrument box.
    virtual void ShowInstrument(int /*slot*/, const std::string& /*model*/) {}
    // The port, rate and instrument boxes are locked once an instrument answered.
    virtual void LockConnectionBoxes(int /*slot*/) {}
    // The view, compare and save-calibration menu items.
    virtual void EnableCalibrationMenu(int /*slot*/, bool /*enabled*/) {}
    // The instrument status window: model, serial number, source ("Detected"), firmware.
    virtual void ShowInstrumentStatus(int /*slot*/, const std::string& /*model*/,
                                      const std::string& /*serial*/, const std::string& /*source*/,
                                      const std::string& /*firmware*/) {}
    virtual void RefreshWindow(int /*slot*/) {}
    virtual void RebuildInstrumentMenu(int /*slot*/) {}
    // A beep before a question.
    virtual void Beep() {}
    // The window's select-calibration command: true when a calibration was chosen and loaded
    // into the slot. The default has no one to choose one.
    virtual bool SelectCalibration(int /*slot*/) { return false; }
    // The "Calibration Due" form: shows the text and returns the days until the next reminder
    // (1, 7, 30 or 90 for "1 Day", "1 Week", "1 Month", "3 Months"). The default shows the
    // text as a message and reminds again the next day.
    virtual int CalReminderForm(int /*slot*/, const std::string& text, Prompter& prompter) {
        prompter.ShowMessage(text);
        return 1;
    }
};

struct ConnectionContext {
    ConnectionContext(ProgramState& programIn, Waiter& waiterIn)
        : program(programIn), waiter(waiterIn) {}

    ProgramState& program;
    Waiter& waiter;
    ConnectionObserver* observer = nullptr;  // none: nothing is shown
    // The sigma tables a calibration read from an instrument is brought up to date with.
    SigmaTables tables;
    // The dialog's "Load Calibration From Instrument" check box (the setting "LoadCal"); an
    // instrument whose firmware cannot supply a calibration clears it.
    bool loadCalFromInstrument = true;
    // This copy of the program's instance number: the temporary calibration file is named
    // after it.
    int instance = 1;

    // The observer, or one that shows nothing.
    ConnectionObserver& view() { return observer ? *observer : quiet_; }

  private:
    ConnectionObserver quiet_;
};

}  // namespace tidewell
