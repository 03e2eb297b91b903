#pragma once
// The pure-water dialog (backscattering preferences): the choice of pure-water model, which
// fills the four numbers of the beta-to-bb conversion (editable only for the custom choice),
// chi or the calibration file's chi, and whether calibrated files carry the beta columns.
// "OK" stores everything into the preferences and section "bbPrefs"; the caller hands the new
// preferences to the conversions when exec() returns Accepted. "Cancel" changes nothing.

#include <QDialog>
#include <array>

#include "calibration/SigmaParams.h"
#include "settings/SettingsStore.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace tidewell::ui {

class BbParamsForm : public QDialog {
    Q_OBJECT
  public:
    BbParamsForm(PureWaterParams& prefs, SettingsStore& store, QWidget* parent = nullptr);
    void accept() override;

  private:
    void Choose(PureWaterModel model);
    void ShowNumbers();

    PureWaterParams& prefs_;
    SettingsStore& store_;
    PureWaterParams working_;  // the choice as it stands in the dialog
    std::array<QRadioButton*, 5> models_{};
    QLineEdit* lambda0_ = nullptr;
    QLineEdit* beta0_ = nullptr;
    QLineEdit* bb0_ = nullptr;
    QLineEdit* gammaLambda_ = nullptr;
    QRadioButton* ownChi_ = nullptr;
    QRadioButton* calFileChi_ = nullptr;
    QLineEdit* chi_ = nullptr;
    QCheckBox* includeBeta_ = nullptr;
};

}  // namespace tidewell::ui
