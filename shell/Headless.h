#pragma once
// What the program's headless modes share: the command-line conversion and the subcommands run
// without a window, so the notices that start-up shows in a window (the first-run notice, the
// missing sigma files) are written to the error stream instead, and the settings they need come
// from the user's settings store as the desktop program would read them.

#include <iosfwd>
#include <string>

#include "calibration/SigmaModel.h"
#include "files/DatFile.h"
#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"
#include "stream/Prompter.h"

namespace tidewell {

// Shows every message as one line on a stream; answers questions with their first button and
// file dialogs with the suggested path.
class StreamPrompter : public Prompter {
  public:
    explicit StreamPrompter(std::ostream& out) : out_(out) {}
    void ShowMessage(const std::string& text) override;
    int Ask(const std::string& text, const std::vector<std::string>& buttons) override;
    std::string AskSavePath(const std::string& title, const std::string& suggestedPath,
                            const std::string& fileTypes) override;

  private:
    std::ostream& out_;
};

// The folder of the running program with a separator at its end (where the shipped tables
// are); the current folder when there is no application object.
std::string ProgramFolder();

// Everything a headless conversion takes from the settings.
struct HeadlessSettings {
    LoadedSettings loaded;
    SigmaTables tables;     // the sigma table files, read once
    HeaderSettings header;  // user header, sigma and pure-water parameters for the files
};

// LoadSettings with its notices on `err` (and no sigma-parameters dialog), then the sigma
// tables and the user header.
HeadlessSettings LoadHeadlessSettings(SettingsStore& store, std::ostream& err);

}  // namespace tidewell
