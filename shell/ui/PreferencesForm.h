#pragma once
// The Preferences dialog. "OK" writes its keys to the store (and the Kavra flag and the graph
// point cap to the settings in memory); "Cancel" writes nothing. The controls carry their keys
// as object names ("RecallLastCal", "MaxGraphPoints", ...).

#include <QDialog>

#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace tidewell::ui {

class PreferencesForm : public QDialog {
    Q_OBJECT
  public:
    PreferencesForm(AppSettings& settings, SettingsStore& store, QWidget* parent = nullptr);
    void accept() override;

  private:
    AppSettings& settings_;
    SettingsStore& store_;
    QCheckBox* recallLastCal_ = nullptr;
    QCheckBox* kavra_ = nullptr;
    QButtonGroup* connectOnStartup_ = nullptr;
    QLineEdit* maxGraphPoints_ = nullptr;
    QCheckBox* nameFilesOnOpen_ = nullptr;
    QPlainTextEdit* userHeader_ = nullptr;
};

}  // namespace tidewell::ui
