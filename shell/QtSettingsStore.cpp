#include "shell/QtSettingsStore.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace tidewell {

namespace {

QString KeyPath(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Tidewell"),
                                            QStringLiteral("Tidewell"))) {}

QtSettingsStore::QtSettingsStore(const std::string& iniFile)
    : settings_(
          std::make_unique<QSettings>(QString::fromStdString(iniFile), QSettings::IniFormat)) {}

std::optional<std::string> QtSettingsStore::Find(const std::string& section,
                                                 const std::string& key) const {
    const QVariant value = settings_->value(KeyPath(section, key));
    if (!value.isValid()) return std::nullopt;
    // A value edited by hand with commas and no quotes reads back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(',')).toStdString();
    return value.toString().toStdString();
}

void QtSettingsStore::Write(const std::string& section, const std::string& key,
                            const std::string& value) {
    settings_->setValue(KeyPath(section, key), QString::fromStdString(value));
}

void QtSettingsStore::Sync() {
    settings_->sync();
}

std::string QtSettingsStore::FileName() const {
    return settings_->fileName().toStdString();
}

}  // namespace tidewell
