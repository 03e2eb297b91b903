#include "shell/Headless.h"

#include <QCoreApplication>
#include <ostream>

#include "files/FilePaths.h"
#include "files/TempFolder.h"
#include "settings/SettingsKeys.h"

namespace tidewell {

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
