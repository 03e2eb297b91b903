#pragma once
// The program's temporary folder, where recordings are written until they are saved.

#include <functional>
#include <optional>
#include <string>

namespace tidewell {

// Looks up an environment variable; nullopt when it is not set. Injected so that the core
// never reads the process environment behind its caller's back.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The process environment, for callers that want the real one.
EnvironmentLookup ProcessEnvironment();

struct TempFolderChoice {
    std::string folder;                   // always ends in a separator
    std::optional<std::string> remember;  // new value for the TempPath setting, when it changes
};

// The stored folder when it exists. Otherwise TEMP, then TMP, then the system's fixed
// temporary folder: the first one that exists is remembered, a "Tidewell" folder is created
// inside it when possible and remembered instead when it exists. When none exists: the
// current folder, remembering nothing.
TempFolderChoice TempPath(const std::string& storedSetting, const EnvironmentLookup& env);

// The fixed last-resort temporary folder of this platform ("/tmp" on POSIX systems).
std::string FixedTempFolder();

}  // namespace tidewell
