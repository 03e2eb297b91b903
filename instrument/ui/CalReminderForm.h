#pragma once
// "Calibration Due": tells how old the instrument's calibration is and asks when to remind
// again.

#include <QDialog>
#include <string>

class QComboBox;

namespace tidewell::ui {

class CalReminderForm : public QDialog {
    Q_OBJECT
  public:
    explicit CalReminderForm(const std::string& text, QWidget* parent = nullptr);
    // Days until the next reminder: 1, 7, 30 or 90 ("1 Day" ... "3 Months").
    int NextReminderDays() const;

    // Shows the form modally; the choice counts however it is closed.
    static int Ask(QWidget* parent, const std::string& text);

  private:
    QComboBox* next_ = nullptr;
};

}  // namespace tidewell::ui
