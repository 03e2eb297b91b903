#include "settings/SettingsStore.h"

#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

std::string SettingsStore::Read(const std::string& section, const std::string& key,
                                const std::string& defaultText) const {
    std::optional<std::string> value = Find(section, key);
    return value ? *value : defaultText;
}

std::optional<std::string> MemorySettingsStore::Find(const std::string& section,
                                                     const std::string& key) const {
    auto it = values_.find({section, key});
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void MemorySettingsStore::Write(const std::string& section, const std::string& key,
                                const std::string& value) {
    values_[{section, key}] = value;
}

bool FlagFromText(const std::string& text, bool defaultValue) {
    bool value = defaultValue;
    return ReadFlagText(text, value) ? value : defaultValue;
}

bool ReadFlag(const SettingsStore& store, const std::string& section, const std::string& key,
              bool defaultValue) {
    return FlagFromText(store.Read(section, key, FlagText(defaultValue)), defaultValue);
}

bool ReadFlag(const SettingsStore& store, const SettingKey& key) {
    return ReadFlag(store, key.section, key.key, FlagFromText(key.defaultText, false));
}

double ReadNumber(const SettingsStore& store, const std::string& section, const std::string& key,
                  double defaultValue) {
    double value = 0;
    std::optional<std::string> text = store.Find(section, key);
    return text && ReadWholeDecimal(*text, value) ? value : defaultValue;
}

double ReadNumber(const SettingsStore& store, const SettingKey& key) {
    double defaultValue = 0;
    if (!ReadWholeDecimal(key.defaultText, defaultValue)) defaultValue = 0;
    return ReadNumber(store, key.section, key.key, defaultValue);
}

std::string FlagText(bool value) {
    return value ? "True" : "False";
}

std::string CheckBoxText(bool value) {
    return value ? "1" : "0";
}

std::string DoubleText(double value) {
    return FormatSignificantLeadingZero(value, 15);
}

std::string SingleText(float value) {
    return FormatSignificantLeadingZero(value, 7);
}

}  // namespace tidewell
