#include "files/FilePaths.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "files/DataFileWriter.h"

namespace tidewell {

namespace fs = std::filesystem;

namespace {
constexpr size_t kCopyBlockSize = 1 << 16;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

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

std::string PartialName(const std::string& path) {
    return path + ".tmp";
}

bool CopyFileOver(const std::string& from, const std::string& to, int& errorNumber,
                  std::string& errorText) {
    const std::string partial = PartialName(to);
    const auto fail = [&](int number) {
        errorNumber = number;
        errorText = SystemErrorText(number);
        DeleteFileQuietly(partial);
        return false;
    };
    if (to.empty()) return fail(ENOENT);
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> in(std::fopen(from.c_str(), "rb"));
    if (!in) return fail(errno != 0 ? errno : EIO);
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(from), ec)) return fail(EINVAL);  // a device never ends
    DataFileWriter out;
    if (!out.Open(partial)) return fail(out.ErrorNumber());
    std::vector<char> block(kCopyBlockSize);
    size_t n = 0;
    errno = 0;
    while (!out.WriteFailed() && (n = std::fread(block.data(), 1, block.size(), in.get())) > 0)
        out.Write(std::string_view(block.data(), n));
    if (std::ferror(in.get())) {
        const int number = errno != 0 ? errno : EIO;
        out.Close();
        return fail(number);
    }
    const bool synced = out.Sync();
    if (!out.Close() || !synced) return fail(out.ErrorNumber());
    fs::rename(fs::path(partial), fs::path(to), ec);
    return ec ? fail(ec.value()) : true;
}

bool CanWriteFile(const std::string& path, int& errorNumber, std::string& errorText) {
    const fs::path folder = fs::path(path).parent_path();
    std::error_code ec;
    // a folder that cannot be made shows in the probe below
    if (!folder.empty()) fs::create_directories(folder, ec);
    DataFileWriter probe;
    if (!probe.Open(PartialName(path))) {
        errorNumber = probe.ErrorNumber();
        errorText = probe.ErrorText();
        return false;
    }
    probe.Close();
    DeleteFileQuietly(PartialName(path));
    return true;
}

std::string MakeFolder(const std::string& path) {
    std::error_code ec;
    fs::create_directories(fs::path(path), ec);
    if (!ec && !FolderExists(path)) ec = std::make_error_code(std::errc::not_a_directory);
    return ec ? "Cannot make the folder " + path + ": " + SystemErrorText(ec.value()) + "." : "";
}

void DeleteFileQuietly(const std::string& path) {
    if (!FileExists(path)) return;  // never a folder
    std::error_code ec;
    fs::remove(fs::path(path), ec);
}

}  // namespace tidewell
