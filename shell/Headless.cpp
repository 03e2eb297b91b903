#include "shell/Headless.h"

#include <QCoreApplication>
#include <csignal>
#include <ostream>

#include "files/FilePaths.h"
#include "files/TempFolder.h"
#include "settings/SettingsKeys.h"

namespace tidewell {

namespace {
std::atomic<int> gSignalCancel{0};
static_assert(std::atomic<int>::is_always_lock_free);

void OnCancelSignal(int) {
    gSignalCancel.store(-1, std::memory_order_relaxed);
}
}  // namespace

CancelOnSignals::CancelOnSignals() {
    gSignalCancel = 1;
    previousInt_ = std::signal(SIGINT, OnCancelSignal);
    previousTerm_ = std::signal(SIGTERM, OnCancelSignal);
}

CancelOnSignals::~CancelOnSignals() {
    std::signal(SIGINT, previousInt_);
    std::signal(SIGTERM, previousTerm_);
}

std::atomic<int>& CancelOnSignals::Flag() {
    return gSignalCancel;
}

bool CancelOnSignals::Signalled() const {
    return gSignalCancel.load() == -1;
}

void StreamPrompter::ShowMessage(const std::string& text) {
    out_ << text << '\n';
    out_.flush();
}

int StreamPrompter::Ask(const std::string& text, const std::vector<std::string>&) {
    ShowMessage(text);
    return 1;
}

std::string StreamPrompter::AskSavePath(const std::string&, const std::string& suggestedPath,
                                        const std::string&) {
    return suggestedPath;
}

std::string ProgramFolder() {
    if (QCoreApplication::instance() == nullptr) return WithTrailingSeparator(".");
    return WithTrailingSeparator(QCoreApplication::applicationDirPath().toStdString());
}

HeadlessSettings LoadHeadlessSettings(SettingsStore& store, std::ostream& err) {
    StreamPrompter notices(err);
    HeadlessSettings s;
    s.loaded = LoadSettings(store, ProgramFolder(), ProcessEnvironment(), notices);
    s.tables = LoadSigmaTables(s.loaded.settings.Sigma);
    s.header.userHeader = store.Read(keys::UserHeader);
    s.header.sigma = s.loaded.settings.Sigma;
    s.header.pureWater = s.loaded.settings.bbPrefs;
    return s;
}

}  // namespace tidewell
