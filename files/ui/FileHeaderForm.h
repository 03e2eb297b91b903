#pragma once
// The file-header window: the header text of the file shown in a data window, read-only, closed
// with Esc. With a store it opens where it was last closed (section "FileHeaderForm", keys
// "Top", "Left", "Width", "Height" in twips).

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace tidewell {
class SettingsStore;
}

namespace tidewell::ui {

class FileHeaderForm : public QDialog {
    Q_OBJECT
  public:
    explicit FileHeaderForm(const std::string& headerText, SettingsStore* store = nullptr,
                            QWidget* parent = nullptr);
    void SetText(const std::string& headerText);
    QString Text() const;

  protected:
    void done(int result) override;

  private:
    SettingsStore* store_;
    QPlainTextEdit* text_ = nullptr;
};

}  // namespace tidewell::ui
