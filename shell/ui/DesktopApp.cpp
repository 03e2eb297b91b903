#include "shell/ui/DesktopApp.h"

#include <QGuiApplication>
#include <QScreen>

#include "calibration/ui/SigmaParamsForm.h"
#include "files/FilePaths.h"
#include "files/TempFolder.h"
#include "settings/SettingsKeys.h"
#include "shell/Headless.h"
#include "shell/ui/DataWindow.h"

namespace tidewell::ui {

std::string ReleaseNotesQuestion() {
    return std::string("This appears to be the first time you have run Tidewell version ") +
           kVersionText +
           " on this computer.  Would you like to view the release notes (will "
           "open a browser window)?";
}

std::string ReleaseNotesMissingMessage(const std::string& programFolder) {
    return std::string("Sorry, I can't find the file \"") + kReleaseNotesFile +
           "\" in the folder " + programFolder;
}

DesktopApp::DesktopApp(SettingsStore& store, Prompter& prompter, const Clock& clock,
                       DesktopOptions options)
    : store_(store),
      prompter_(prompter),
      clock_(clock),
      options_(std::move(options)),
      program_(clock, prompter, store),
      waiter_(clock) {
    program_.hooks.connect = [this](int slot) {
        DataWindow* w = Window(slot);
        return w && w->Connect();
    };
    program_.hooks.openRecordingForStart = [this](int slot) {
        DataWindow* w = Window(slot);
        return w ? w->OpenRecordingForStart() : -1;
    };
}

DesktopApp::~DesktopApp() {
    for (DataWindow*& w : windows_) {
        delete w;
        w = nullptr;
    }
}

DataWindow* DesktopApp::Start() {
    LoadedSettings loaded =
        LoadSettings(store_, options_.programFolder, ProcessEnvironment(), prompter_);
    program_.settings = loaded.settings;
    tables_ = LoadSigmaTables(program_.settings.Sigma);
    ReadRecordingSettings();
    recordingSettings_.saveLiveType = static_cast<int>(ReadNumber(store_, keys::SaveLiveType));
    recordingSettings_.saveFolder = program_.settings.SavePath;
    recordingSettings_.instance = options_.instance;

    DataWindow* first = NewWindow();
    if (loaded.sigmaFilesMissing && first) {
        SigmaParamsForm form(program_.settings.Sigma, store_, options_.programFolder, prompter_,
                             first);
        if (form.exec() == QDialog::Accepted) SettingsChanged();
    }
    if (options_.askReleaseNotes && !ReadFlag(store_, keys::VersionHasRun) &&
        prompter_.Ask(ReleaseNotesQuestion(), {"Yes", "No"}) == 1) {
        const std::string notes = WithTrailingSeparator(options_.programFolder) + kReleaseNotesFile;
        if (!FileExists(notes) || !options_.openDocument || !options_.openDocument(notes))
            prompter_.ShowMessage(ReleaseNotesMissingMessage(options_.programFolder));
    }
    store_.Write(keys::Version, kVersionText);
    store_.Write(keys::VersionHasRun, "TRUE");
    const int connect = static_cast<int>(ReadNumber(store_, keys::ConnectOnStartup));
    if (first && options_.connectOnStartup && connect != 0) first->ConnectOnStartup(connect);
    return first;
}

void DesktopApp::ReadRecordingSettings() {
    recordingSettings_.header.userHeader = store_.Read(keys::UserHeader);
    recordingSettings_.header.sigma = program_.settings.Sigma;
    recordingSettings_.header.pureWater = program_.settings.bbPrefs;
    recordingSettings_.nameFilesOnOpen = ReadNumber(store_, keys::NameFilesOnOpen) == 1;
}

void DesktopApp::SettingsChanged() {
    tables_ = LoadSigmaTables(program_.settings.Sigma);
    ReadRecordingSettings();
    for (DataWindow* w : windows_) {
        if (!w) continue;
        w->UpdateSigmaTables(tables_);
        if (w->record().calibration)
            w->record().calibration->CheckAndUpdateAll(program_.settings.Sigma, tables_, prompter_);
    }
}

DataWindow* DesktopApp::NewWindow() {
    const int slot = slots_.Take();
    if (slot < 0) {
        prompter_.ShowMessage(TooManyWindowsMessage());
        return nullptr;
    }
    DataWindow* current = nullptr;
    for (DataWindow* w : windows_)
        if (w && w->isActiveWindow()) current = w;
    if (!current)
        for (DataWindow* w : windows_)
            if (w) current = w;
    auto* window = new DataWindow(*this, slot, current);
    windows_[static_cast<size_t>(slot)] = window;
    window->show();
    RebuildAllWindowMenus();
    return window;
}

bool DesktopApp::Exit(DataWindow* current) {
    std::vector<DataWindow*> order;
    if (current) order.push_back(current);
    for (DataWindow* w : windows_)
        if (w && w != current) order.push_back(w);
    for (DataWindow* w : order) {
        w->raise();
        if (w->PrepToCloseForm() == -1) return false;
    }
    SaveAllSettings(current);
    for (DataWindow* w : order) w->CloseWithoutAsking();
    return true;
}

void DesktopApp::WindowUnloaded(DataWindow* window) {
    const int slot = window->Slot();
    if (windows_[static_cast<size_t>(slot)] != window) return;
    windows_[static_cast<size_t>(slot)] = nullptr;
    slots_.Free(slot);
    if (slots_.Count() == 0) {
        SaveAllSettings(window);
        emit lastWindowClosed();
        return;
    }
    RebuildAllWindowMenus();
}

void DesktopApp::SaveAllSettings(DataWindow* current) {
    for (DataWindow* w : windows_)
        if (w) w->WriteGeometry();
    if (current) WriteGraphDefaults(store_, current->SigmaCorrected(), current->VsTime());
    SaveSettings(store_, program_.settings);
}

void DesktopApp::RebuildAllWindowMenus() {
    for (DataWindow* w : windows_)
        if (w) w->BuildWindowMenu();
}

std::vector<WindowMenuSource> DesktopApp::MenuSources() const {
    std::vector<WindowMenuSource> sources;
    for (DataWindow* w : windows_)
        if (w) sources.push_back(w->MenuSource());
    return sources;
}

DataWindow* DesktopApp::Window(int slot) const {
    return slot >= 0 && slot < kMaxDataWindows ? windows_[static_cast<size_t>(slot)] : nullptr;
}

std::vector<DataWindow*> DesktopApp::Windows() const {
    std::vector<DataWindow*> list;
    for (DataWindow* w : windows_)
        if (w) list.push_back(w);
    return list;
}

}  // namespace tidewell::ui
