#pragma once
// The instrument message window: the lines an instrument marks as messages for the user,
// appended as they come. It opens where it was last closed and remembers its place.

#include <QWidget>

#include "settings/SettingsStore.h"

class QPlainTextEdit;

namespace tidewell::ui {

class InstrumentMessageWindow : public QWidget {
  public:
    InstrumentMessageWindow(SettingsStore& store, QWidget* parent);
    void Append(const std::string& text);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    SettingsStore& store_;
    QPlainTextEdit* text_ = nullptr;
};

}  // namespace tidewell::ui
