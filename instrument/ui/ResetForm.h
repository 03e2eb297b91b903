#pragma once
// "Reset Instrument": the port to reset (the slot's own port while it is open) and how long
// the break lasts. "Reset" holds a long break on the line with a progress window whose "Stop"
// ends it at once; afterwards the engine offers to connect (instrument/InstrumentClock.h).

#include <QDialog>

#include "instrument/InstrumentClock.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tidewell {
class ProgramState;
class Waiter;
}  // namespace tidewell

namespace tidewell::ui {

inline constexpr const char* kResetNote =
    "Reset sends a long break signal on the selected serial port. This is not needed in normal "
    "circumstances, but can often wake an instrument that does not respond.";

class ResetForm : public QDialog {
    Q_OBJECT
  public:
    ResetForm(ProgramState& program, Waiter& waiter, int slot, QWidget* parent = nullptr);

    // "Reset": the break for the time given, with its progress window. The dialog closes
    // unless the port could not be opened.
    ResetResult Reset();

  private:
    ProgramState& program_;
    Waiter& waiter_;
    const int slot_;
    QLabel* portLabel_ = nullptr;
    QComboBox* port_ = nullptr;
    QLineEdit* seconds_ = nullptr;
    QPushButton* reset_ = nullptr;
};

}  // namespace tidewell::ui
