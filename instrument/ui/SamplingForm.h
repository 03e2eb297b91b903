#pragma once
// "Sampling Options": the instrument's own sampling set-up, read from it when the dialog opens
// ("Reload" reads it again), edited, and written back with "Apply", after which it is read
// back. Only the parts the instrument's family has are shown: the shutter frame for
// instruments with a shutter, a frame per fluorescence channel for Vantors that have them.
// The engine does the exchange (instrument/Sampling.h); its question about the period goes
// through the program's prompter.

#include <QDialog>
#include <array>

#include "instrument/InstrumentRecord.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tidewell {
class ProgramState;
class Waiter;
}  // namespace tidewell

namespace tidewell::ui {

inline constexpr const char* kSamplingDialogTitle = "Sampling Options";

class SamplingForm : public QDialog {
    Q_OBJECT
  public:
    SamplingForm(ProgramState& program, Waiter& waiter, int slot, QWidget* parent = nullptr);

    // Reads the set-up from the instrument into the fields (done once when the dialog opens);
    // false when it did not come (the dialog then stays in its loading state) or a reading
    // was already under way.
    bool Reload();
    // Sends the fields and reads the set-up back; false when nothing was sent or it could not
    // be read back.
    bool Apply();

    // The fields as they stand (a box that is not a number reads as 0).
    SamplingParameters Edited() const;
    QLineEdit* PeriodBox() const { return period_; }

  private:
    void Fill(const SamplingParameters& p);
    void ShowFamily();
    void SetBusy(bool busy);

    ProgramState& program_;
    Waiter& waiter_;
    const int slot_;
    bool busy_ = false;
    QLineEdit* period_ = nullptr;
    QLineEdit* rate_ = nullptr;
    QLineEdit* delay_ = nullptr;
    QCheckBox* sleepWhenFull_ = nullptr;
    QCheckBox* powerUpStart_ = nullptr;
    QGroupBox* burstFrame_ = nullptr;
    QCheckBox* burstMode_ = nullptr;
    QLabel* warmupLabel_ = nullptr;
    QLineEdit* warmup_ = nullptr;
    QLineEdit* burstLength_ = nullptr;
    QLineEdit* burstInterval_ = nullptr;
    QLabel* totalLabel_ = nullptr;
    QLineEdit* total_ = nullptr;
    QGroupBox* formatFrame_ = nullptr;
    QRadioButton* hex_ = nullptr;
    QRadioButton* decimal_ = nullptr;
    QGroupBox* shutterFrame_ = nullptr;
    QCheckBox* shutterEnabled_ = nullptr;
    QCheckBox* shutterAutomatic_ = nullptr;
    QLineEdit* shutterTime_ = nullptr;
    QRadioButton* clockwise_ = nullptr;
    QRadioButton* counterClockwise_ = nullptr;
    std::array<QGroupBox*, 2> flFrames_{};
    std::array<std::array<QRadioButton*, 3>, 2> flModes_{};
    QCheckBox* nonvolatile_ = nullptr;
    QPushButton* reload_ = nullptr;
    QPushButton* apply_ = nullptr;
};

}  // namespace tidewell::ui
