#pragma once
// The per-user settings store: text values addressed by section and key, each read naming the
// default returned when the key is absent. The program keeps one QtSettingsStore; tests use a
// store on a file of their own or the in-memory one.

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace tidewell {

// A fixed key of the settings table with its default text.
struct SettingKey {
    const char* section;
    const char* key;
    const char* defaultText;
};

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored text, or nullopt when the key is absent.
    virtual std::optional<std::string> Find(const std::string& section,
                                            const std::string& key) const = 0;
    virtual void Write(const std::string& section, const std::string& key,
                       const std::string& value) = 0;

    // The stored text, or `defaultText` when the key is absent.
    std::string Read(const std::string& section, const std::string& key,
                     const std::string& defaultText = "") const;
    std::string Read(const SettingKey& key) const {
        return Read(key.section, key.key, key.defaultText);
    }
    void Write(const SettingKey& key, const std::string& value) {
        Write(key.section, key.key, value);
    }
};

// A store in memory, for tests and for work that must not touch the user's settings.
class MemorySettingsStore : public SettingsStore {
  public:
    using SettingsStore::Write;
    std::optional<std::string> Find(const std::string& section,
                                    const std::string& key) const override;
    void Write(const std::string& section, const std::string& key,
               const std::string& value) override;
    const std::map<std::pair<std::string, std::string>, std::string>& Values() const {
        return values_;
    }

  private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

// Readers of the kinds in the settings table. A stored text that is not of the kind reads as
// the default; a default that is not of the kind either reads as 0 / false.
// Flags: "True"/"False" in any case, or a number (non-zero is true).
bool ReadFlag(const SettingsStore& store, const SettingKey& key);
bool ReadFlag(const SettingsStore& store, const std::string& section, const std::string& key,
              bool defaultValue);
double ReadNumber(const SettingsStore& store, const SettingKey& key);
double ReadNumber(const SettingsStore& store, const std::string& section, const std::string& key,
                  double defaultValue);
// Flag and number texts: "True"/"False", "1"/"0" for check boxes, doubles with up to 15 and
// singles with up to 7 significant digits.
bool FlagFromText(const std::string& text, bool defaultValue);
std::string FlagText(bool value);
std::string CheckBoxText(bool value);
std::string DoubleText(double value);
std::string SingleText(float value);

}  // namespace tidewell
