#pragma once
// The desktop program: the program state shared by every data window, the six window slots,
// start-up in its order, the Window menus, Exit and the saving of the settings when the last
// window closes.

#include <QObject>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "calibration/SigmaModel.h"
#include "files/Recording.h"
#include "instrument/ProgramState.h"
#include "instrument/Waiter.h"
#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"
#include "shell/WindowTitles.h"
#include "stream/Clock.h"
#include "stream/Prompter.h"

namespace tidewell::ui {

class DataWindow;

struct DesktopOptions {
    int instance = 1;           // this copy's instance number
    std::string programFolder;  // where the shipped tables and the release notes are
    bool askReleaseNotes = true;
    bool connectOnStartup = true;  // follow App/ConnectOnStartup
    // Opens a document with the system's handler (the release notes); false when it could not.
    std::function<bool(const std::string& path)> openDocument;
};

class DesktopApp : public QObject {
    Q_OBJECT
  public:
    DesktopApp(SettingsStore& store, Prompter& prompter, const Clock& clock,
               DesktopOptions options);
    ~DesktopApp() override;

    // Start-up from the settings on: loads them, opens the first window, asks about the release
    // notes, records this version and connects when the preferences say so. The first window.
    DataWindow* Start();

    // A new data window in the first free slot; nullptr (after the message) when six are open.
    DataWindow* NewWindow();
    // Exit: every window is asked in turn, the current one first; the first refusal stops.
    bool Exit(DataWindow* current);
    // A window went away: its slot is freed; after the last one the settings are saved.
    void WindowUnloaded(DataWindow* window);
    void RebuildAllWindowMenus();
    std::vector<WindowMenuSource> MenuSources() const;
    DataWindow* Window(int slot) const;
    std::vector<DataWindow*> Windows() const;
    // The preferences, sigma or pure-water settings changed: the sigma tables are read again,
    // every window's calibration brought up to date, and the recordings take the new header
    // settings.
    void SettingsChanged();
    // Saves the settings in memory and the graph defaults of `current`.
    void SaveAllSettings(DataWindow* current);

    ProgramState& program() { return program_; }
    Prompter& prompter() { return prompter_; }
    SettingsStore& store() { return store_; }
    Waiter& waiter() { return waiter_; }
    const SigmaTables& tables() const { return tables_; }
    RecordingSettings& recordingSettings() { return recordingSettings_; }
    const DesktopOptions& options() const { return options_; }
    bool allClosed() const { return slots_.Count() == 0; }

  signals:
    // The last window closed and the settings were saved.
    void lastWindowClosed();

  private:
    void ReadRecordingSettings();

    SettingsStore& store_;
    Prompter& prompter_;
    const Clock& clock_;
    DesktopOptions options_;
    ProgramState program_;
    EventLoopWaiter waiter_;
    SigmaTables tables_;
    RecordingSettings recordingSettings_;
    WindowSlots slots_;
    std::array<DataWindow*, kMaxDataWindows> windows_{};
};

inline constexpr const char* kReleaseNotesFile = "releasenotes.htm";
// "This appears to be the first time you have run Tidewell version 2.82 ..."
std::string ReleaseNotesQuestion();
std::string ReleaseNotesMissingMessage(const std::string& programFolder);

}  // namespace tidewell::ui
