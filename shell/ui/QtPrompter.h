#pragma once
// The desktop program's Prompter: the engine's questions in the three-button question window,
// its messages in the message window, and its save dialogs. Each opens over the window the
// prompter is pointed at, or else over the active window.

#include <QPointer>
#include <QWidget>

#include "stream/Prompter.h"

namespace tidewell::ui {

class QtPrompter : public Prompter {
  public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    // The window the dialogs open over (none: the active window).
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowMessage(const std::string& text) override;
    int Ask(const std::string& text, const std::vector<std::string>& buttons) override;
    std::string AskSavePath(const std::string& title, const std::string& suggestedPath,
                            const std::string& fileTypes) override;
    std::string AskSavePathAndType(const std::string& title, const std::string& suggestedPath,
                                   const std::string& fileTypes, int& fileType) override;

  private:
    QWidget* Parent() const;
    QPointer<QWidget> parent_;
};

}  // namespace tidewell::ui
