#pragma once
// The settings store on QSettings: an INI file in the user's configuration folder,
// Tidewell/Tidewell.ini under $XDG_CONFIG_HOME (or ~/.config), one INI section per settings
// section. Shared by every running copy of the program; QSettings locks the file while it
// writes.

#include <QSettings>
#include <memory>
#include <string>

#include "settings/SettingsStore.h"

namespace tidewell {

class QtSettingsStore : public SettingsStore {
  public:
    using SettingsStore::Write;
    // The user's own store.
    QtSettingsStore();
    // A store on the given INI file (tests, or a portable copy of the settings).
    explicit QtSettingsStore(const std::string& iniFile);

    std::optional<std::string> Find(const std::string& section,
                                    const std::string& key) const override;
    void Write(const std::string& section, const std::string& key,
               const std::string& value) override;

    // Writes pending changes to the file now (they are written anyway when the store goes).
    void Sync();
    std::string FileName() const;

  private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace tidewell
