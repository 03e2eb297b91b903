#pragma once
// "Set Instrument Time & Date": the instrument's clock, read when the dialog opens and shown
// running (the computer's time plus the instrument's offset, " loading..." until it is known),
// and set to the computer's time or to a date and time picked by hand. The engine does the
// exchange (instrument/InstrumentClock.h).

#include <QDialog>

class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;
class QTimer;

namespace tidewell {
class ProgramState;
class Waiter;
}  // namespace tidewell

namespace tidewell::ui {

class ClockForm : public QDialog {
    Q_OBJECT
  public:
    ClockForm(ProgramState& program, Waiter& waiter, int slot, QWidget* parent = nullptr);

    // Asks the instrument for its time (done once when the dialog opens); false when it did not
    // answer or a reading was already under way.
    bool ReadClock();
    // "Set Time": sets the clock and reads it again; false when it could not be read back.
    bool SetTime();
    QString InstrumentTimeText() const;
    QString InstrumentDateText() const;

  private:
    void ShowTimes();

    ProgramState& program_;
    Waiter& waiter_;
    const int slot_;
    bool busy_ = false;
    QLineEdit* time_ = nullptr;
    QLineEdit* date_ = nullptr;
    QRadioButton* toComputer_ = nullptr;
    QRadioButton* manually_ = nullptr;
    QDateEdit* datePicker_ = nullptr;
    QTimeEdit* timePicker_ = nullptr;
    QPushButton* set_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace tidewell::ui
