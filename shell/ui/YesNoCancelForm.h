#pragma once
// The three-button question: a message and up to three buttons with the caller's captions (an
// empty caption hides its button). The first button answers 1, the second 0, the third -1. Esc
// or closing the window answers as the last button shown, which is the cautious choice in every
// question the program asks ("No", "Cancel", "Use Current").

#include <QDialog>
#include <array>
#include <string>
#include <vector>

class QLabel;
class QPushButton;

namespace tidewell::ui {

class YesNoCancelForm : public QDialog {
    Q_OBJECT
  public:
    YesNoCancelForm(const std::string& text, const std::vector<std::string>& captions,
                    QWidget* parent = nullptr);

    // 1, 0 or -1; before an answer, the answer of Esc.
    int Answer() const { return answer_; }
    // Button 0-2 (hidden when its caption is empty).
    QPushButton* Button(int index) const { return buttons_.at(index); }
    QString Text() const;

    // Shows the question modally and returns its answer.
    static int Ask(QWidget* parent, const std::string& text,
                   const std::vector<std::string>& captions);

  protected:
    void reject() override;

  private:
    QLabel* label_ = nullptr;
    std::array<QPushButton*, 3> buttons_{};
    int answer_ = -1;
    int escapeAnswer_ = -1;
};

}  // namespace tidewell::ui
