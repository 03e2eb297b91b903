#pragma once
// The message window: one text and an OK button, shown modally. Most error messages of the
// program come here.

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

namespace tidewell::ui {

class ErrorForm : public QDialog {
    Q_OBJECT
  public:
    explicit ErrorForm(const std::string& text, QWidget* parent = nullptr);
    QString Text() const;
    QPushButton* OkButton() const { return ok_; }

    // Shows the text modally until the user closes it.
    static void Show(QWidget* parent, const std::string& text);

  private:
    QLabel* label_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace tidewell::ui
