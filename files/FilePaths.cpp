#include "files/FilePaths.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "files/DataFileWriter.h"

namespace tidewell {

namespace fs = std::filesystem;

namespace {
bool TestableName(const std::string& path) {
    return !path.empty() && path.find_first_of("?*") == std::string::npos;
}

bool IsSeparator(char c) {
    return c == '/' || c == kPathSeparator;
}
}  // namespace

bool FolderExists(const std::string& path) {
    std::error_code ec;
    return TestableName(path) && fs::is_directory(fs::path(path), ec);
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return TestableName(path) && fs::is_regular_file(fs::path(path), ec);
}

std::string WithTrailingSeparator(const std::string& path) {
    if (!path.empty() && IsSeparator(path.back())) return path;
    return path + kPathSeparator;
}

std::string FileNamePart(const std::string& path) {
    size_t slash = path.size();
    while (slash > 0 && !IsSeparator(path[slash - 1])) --slash;
    return path.substr(slash);
}

std::string WithoutExtension(const std::string& path) {
    size_t nameStart = path.size() - FileNamePart(path).size();
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return path;
    return path.substr(0, dot);
}

bool CopyFileOver(const std::string& from, const std::string& to, int& errorNumber,
                  std::string& errorText) {
    std::error_code ec;
    if (to.empty()) {
        ec = std::make_error_code(std::errc::no_such_file_or_directory);
    } else {
        fs::copy_file(fs::path(from), fs::path(to), fs::copy_options::overwrite_existing, ec);
    }
    if (!ec) return true;
    errorNumber = ec.value();
    errorText = ec.category() == std::generic_category() || ec.category() == std::system_category()
                    ? SystemErrorText(ec.value())
                    : ec.message();
    return false;
}

void DeleteFileQuietly(const std::string& path) {
    if (!FileExists(path)) return;  // never a folder
    std::error_code ec;
    fs::remove(fs::path(path), ec);
}

}  // namespace tidewell
