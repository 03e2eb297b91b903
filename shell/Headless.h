#pragma once
// What the program's headless modes share: the command-line conversion and the subcommands run
// without a window, so the notices that start-up shows in a window (the first-run notice, the
// missing sigma files) are written to the error stream instead, and the settings they need come
// from the user's settings store as the desktop program would read them.

#include <atomic>
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

// While it lives, SIGINT and SIGTERM set a cancel flag to -1 (the progress window's Cancel), so
// that a conversion given the flag stops after its current line and removes its temporary
// output. The handler only stores into the lock-free flag, which is safe in a signal handler.
// One at a time.
class CancelOnSignals {
  public:
    CancelOnSignals();
    ~CancelOnSignals();
    CancelOnSignals(const CancelOnSignals&) = delete;
    CancelOnSignals& operator=(const CancelOnSignals&) = delete;

    // Starts at 1 (running), as the batch conversion sets it.
    std::atomic<int>& Flag();
    bool Signalled() const;

  private:
    void (*previousInt_)(int);
    void (*previousTerm_)(int);
};

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
