#pragma once
// The sigma-parameters dialog: the parameters of the absorption and backscattering-ratio
// estimates behind the sigma correction, on tabs, with a preview of the absorption estimate at
// a chosen wavelength. "OK" checks the boxes (EnforceLimits), then stores the values into the
// parameters and section "Sigma" of the store; the caller brings the calibrations in use up to
// date when exec() returns Accepted. "Cancel" changes nothing. The boxes carry their keys as
// object names ("aStar", "bTilde", "C", ...).

#include <QDialog>
#include <string>

#include "calibration/SigmaParams.h"
#include "settings/SettingsStore.h"
#include "stream/Prompter.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace tidewell::ui {

class SigmaParamsForm : public QDialog {
    Q_OBJECT
  public:
    // `programFolder` holds the shipped "aStar.csv" that "Defaults" names; limit messages go
    // to `prompter`.
    SigmaParamsForm(SigmaParams& params, SettingsStore& store, std::string programFolder,
                    Prompter& prompter, QWidget* parent = nullptr);
    void accept() override;

  private:
    void Fill(const SigmaParams& params);
    void FillDefaults();
    void Browse(QLineEdit* box);
    // The parameters as the boxes say; boxes that do not read as numbers keep their value.
    SigmaParams FromBoxes() const;
    void UpdateEstimate();

    SigmaParams& params_;
    SettingsStore& store_;
    std::string programFolder_;
    Prompter& prompter_;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* aStar_ = nullptr;
    QLineEdit* C_ = nullptr;
    QLineEdit* ad400_ = nullptr;
    QLineEdit* gammay_ = nullptr;
    QLineEdit* gammad_ = nullptr;
    QLineEdit* bTilde_ = nullptr;
    QLineEdit* p_ = nullptr;
    QRadioButton* measuredK_ = nullptr;
    QRadioButton* estimatedK_ = nullptr;
    QLineEdit* wavelength_ = nullptr;
    QLabel* estimate_ = nullptr;
};

// The absorption estimate as the dialog shows it: " 0.000" from 350 to 1000 nm, "-----"
// outside that range or when no value can be had.
std::string AbsorptionEstimateText(const SigmaParams& params, double lambda);

}  // namespace tidewell::ui
