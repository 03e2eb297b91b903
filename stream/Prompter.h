#pragma once
// How the core speaks to the user: every message and question goes through a Prompter that the
// caller provides. The desktop program shows dialogs; the command line prints to stderr and
// answers from its flags; tests answer from a script and keep a log of every text shown.

#include <string>
#include <vector>

namespace tidewell {

class Prompter {
  public:
    virtual ~Prompter() = default;
    // A message window showing one text.
    virtual void ShowMessage(const std::string& text) = 0;
    // The three-button question: up to three captions (an empty caption hides the button).
    // The first button answers 1, the second 0, the third -1.
    virtual int Ask(const std::string& text, const std::vector<std::string>& buttons) = 0;
    // A save-file dialog: returns the chosen path, or "" when cancelled. `fileTypes` lists
    // label and pattern pairs separated by "|" ("Calibration File (*.cal)|*.cal").
    virtual std::string AskSavePath(const std::string& title, const std::string& suggestedPath,
                                    const std::string& fileTypes) = 0;
    // The same dialog where the chosen file type matters: `fileType` comes in as the 1-based
    // entry of `fileTypes` shown first and goes out as the entry chosen. Unless a dialog
    // offers the choice, the entry shown stays chosen.
    virtual std::string AskSavePathAndType(const std::string& title,
                                           const std::string& suggestedPath,
                                           const std::string& fileTypes, int& fileType) {
        (void)fileType;
        return AskSavePath(title, suggestedPath, fileTypes);
    }
};

// Shows nothing and answers every question with its first button and every file dialog with
// the suggested path. For batch work where no one is watching.
class SilentPrompter : public Prompter {
  public:
    void ShowMessage(const std::string&) override {}
    int Ask(const std::string&, const std::vector<std::string>&) override { return 1; }
    std::string AskSavePath(const std::string&, const std::string& suggested,
                            const std::string&) override {
        return suggested;
    }
};

}  // namespace tidewell
