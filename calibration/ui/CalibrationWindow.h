#pragma once
// The calibration window of a data window: every field of the window's calibration for its
// instrument type, edited in place through the calibration's setters (so derived values and the
// changed groups show at once); another calibration, opened from a file or read from the
// instrument, beside it with the differing fields marked; merging groups from that other one;
// saving; and sending the calibration to the connected instrument.

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "calibration/CalibrationFields.h"
#include "instrument/ConnectionContext.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tidewell {
struct AppSettings;
}

namespace tidewell::ui {

// Asks where to save the calibration and writes it there (see SaveAsFile); the file becomes the
// program's current calibration file and the calibration counts as unchanged. A write error is
// shown. False when nothing was saved.
bool SaveCalibrationAs(CalibrationDataClass& cal, AppSettings& settings, Prompter& prompter);

class CalibrationWindow : public QWidget, public ConnectionObserver {
    Q_OBJECT
  public:
    // `connection`: the data window's; the window's own exchanges report to this window and
    // pass the data window's status on.
    CalibrationWindow(ConnectionContext& connection, int slot, QWidget* parent);

    // Shows the slot's calibration as it is now (after a load, a read or a type change).
    void Refresh();
    // The other calibration, from a calibration file or read from the instrument. False (with
    // the reason shown) when there is none.
    bool OpenOther(const std::string& path);
    bool ReadOtherFromInstrument();
    // Takes the groups of `mask` (CalChange bits) from the other calibration.
    void MergeFromOther(int32_t mask);
    bool SaveAs();
    // Asks, then sends the calibration to the connected instrument. True when it was sent.
    bool Send();

    // The row of a field ("Channel 1", "Gain 2"); nullptr when the type has no such field.
    QTreeWidgetItem* FieldItem(const QString& section, const QString& name) const;
    // Rows whose value differs from the other calibration's.
    int DifferingCount() const;
    QString ChangedText() const;
    QString ComparisonText() const;

    // ConnectionObserver: the exchange's progress.
    void ShowDialogStatus(int slot, const std::string& text) override;
    void ShowWindowStatus(int slot, const std::string& text) override;

  signals:
    // Closed by the user: the Window menus no longer list it.
    void Hidden();

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    CalibrationDataClass& Calibration();
    void Rebuild();
    void ShowValues();
    void FieldEdited(QTreeWidgetItem* item, int column);
    void ChooseOther();
    void ChooseMerge();
    // The engine's exchanges with this window as their observer; the rows and buttons are off
    // meanwhile.
    template <class Exchange>
    auto Exchanging(Exchange exchange);

    ConnectionContext& connection_;
    const int slot_;
    int fieldsType_ = -2;  // the type the rows were built for
    std::vector<CalField> fields_;
    std::vector<QTreeWidgetItem*> items_;  // one per field
    std::shared_ptr<CalibrationDataClass> other_;
    std::string otherSource_;
    bool showing_ = false;  // values are being put into the rows, not edited
    QLabel* identity_ = nullptr;
    QLabel* changed_ = nullptr;
    QLabel* comparison_ = nullptr;
    QLabel* status_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    std::vector<QPushButton*> buttons_;
    QPushButton* mergeButton_ = nullptr;
};

}  // namespace tidewell::ui
