#include "shell/InstanceNumber.h"

#include <QDir>
#include <QStandardPaths>

#include "settings/SettingsKeys.h"
#include "stream/TextHelpers.h"

namespace tidewell {

InstanceLock::InstanceLock(const std::string& folder) {
    QString dir = folder.empty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                                 : QString::fromStdString(folder);
    if (dir.isEmpty()) dir = QDir::tempPath();
    QDir().mkpath(dir);
    lock_ = std::make_unique<QLockFile>(dir + "/Tidewell.lock");
    // tryLock removes a lock whose process no longer runs before it tries.
    held_ = lock_->tryLock(0);
}

int TakeInstanceNumber(SettingsStore& store, bool otherCopyRunning) {
    int number = 1;
    if (otherCopyRunning) {
        number = static_cast<int>(LeadingNumber(store.Read(keys::Instance))) + 1;
        if (number < 1 || number > 32767) number = 1;  // a 16-bit count
    }
    store.Write(keys::Instance, std::to_string(number));
    return number;
}

}  // namespace tidewell
