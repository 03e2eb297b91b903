#include "files/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "files/FilePaths.h"

namespace tidewell {

namespace fs = std::filesystem;

namespace {
constexpr const char* kProgramFolderName = "Tidewell";
}  // namespace

EnvironmentLookup ProcessEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (value == nullptr) return std::nullopt;
        return std::string(value);
    };
}

std::string FixedTempFolder() {
#ifdef _WIN32
    return "C:\\TEMP";
#else
    return "/tmp";
#endif
}

TempFolderChoice TempPath(const std::string& storedSetting, const EnvironmentLookup& env) {
    if (FolderExists(storedSetting)) return {WithTrailingSeparator(storedSetting), std::nullopt};

    std::optional<std::string> base;
    for (const char* name : {"TEMP", "TMP"}) {
        std::optional<std::string> value = env ? env(name) : std::nullopt;
        if (value && FolderExists(*value)) {
            base = *value;
            break;
        }
    }
    if (!base && FolderExists(FixedTempFolder())) base = FixedTempFolder();

    if (!base) {
        std::error_code ec;
        fs::path current = fs::current_path(ec);
        return {WithTrailingSeparator(ec ? std::string() : current.string()), std::nullopt};
    }

    std::string chosen = WithTrailingSeparator(*base);
    std::string own = chosen + kProgramFolderName;
    std::error_code ec;
    fs::create_directory(fs::path(own), ec);  // failure just means we use the folder itself
    if (FolderExists(own)) chosen = WithTrailingSeparator(own);
    return {chosen, chosen};
}

}  // namespace tidewell
