#pragma once
// Which running copy of the program this is. The first copy holds a lock file in the user's
// runtime folder for as long as it runs; a copy that finds the lock held by a live process
// counts itself after the stored instance number. A lock left behind by a copy that crashed
// is taken over, so the next start is the first copy again.

#include <QLockFile>
#include <memory>
#include <string>

#include "settings/SettingsStore.h"

namespace tidewell {

class InstanceLock {
  public:
    // Tries to take the lock file in `folder` (the user's runtime folder when empty).
    explicit InstanceLock(const std::string& folder = "");
    // Another copy of the program holds the lock.
    bool OtherCopyRunning() const { return !held_; }

  private:
    std::unique_ptr<QLockFile> lock_;
    bool held_ = false;
};

// 1 for the first copy; for a further copy the stored "Instance" plus 1. Written back to
// "Instance" either way.
int TakeInstanceNumber(SettingsStore& store, bool otherCopyRunning);

}  // namespace tidewell
