// `tidewell info`: what the header readers find in a raw or calibrated file, as JSON.

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "files/DataFileWriter.h"
#include "files/FileInfo.h"
#include "shell/cli/Json.h"
#include "shell/cli/Subcommands.h"
#include "stream/Models.h"

namespace tidewell::cli {

namespace {

constexpr const char* kUsage = "Usage: tidewell info FILE...\n";
constexpr const char* kHelp =
    "\n"
    "Prints, for each file, one JSON object: what its header says (model, serial number,\n"
    "configuration, file type) and what its contents show (\"kind\"). Exit status 0 when every\n"
    "file could be read, 1 when not, 2 for a usage error.\n";

// The system's description of why the file cannot be read, or "" when it can.
std::string UnreadableReason(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::path(path), ec))
        return SystemErrorText(EISDIR);
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return SystemErrorText(errno != 0 ? errno : ENOENT);
    std::fclose(f);
    return "";
}

}  // namespace

int RunInfo(CliContext& ctx) {
    if (WantsHelp(ctx.args)) {
        ctx.out << kUsage << kHelp;
        return 0;
    }
    std::vector<std::string> paths;
    bool onlyFiles = false;
    for (const std::string& a : ctx.args) {
        if (!onlyFiles && a == "--") {
            onlyFiles = true;
        } else if (!onlyFiles && a.size() > 1 && a[0] == '-') {
            ctx.err << "info: unknown option \"" << a << "\"\n" << kUsage;
            return 2;
        } else {
            paths.push_back(a);
        }
    }
    if (paths.empty()) {
        ctx.err << "info: no file given\n" << kUsage;
        return 2;
    }
    int status = 0;
    for (const auto& path : paths) {
        if (const std::string reason = UnreadableReason(path); !reason.empty()) {
            ctx.err << OpenErrorText(path, reason) << '\n';
            status = 1;
            continue;
        }
        DataFileInfo info;
        const bool recognized = ReadFileInfo(path, info);
        std::string kind, kindSerial;
        const int kindType = DetectFileKind(path, kind, kindSerial);
        JsonObject detected;
        detected.Int("instrumentType", kindType)
            .Str("modelName", ModelName(kindType))
            .Str("fileType", kind)
            .Str("serial", kindSerial);
        JsonObject o;
        o.Str("path", path)
            .Bool("recognized", recognized)
            .Int("instrumentType", info.instrumentType)
            .Str("modelName", ModelName(info.instrumentType))
            .Str("deviceType", info.deviceType)
            .Str("serial", info.serial)
            .Str("config", info.config)
            .Str("id", info.id)
            .Str("fileType", info.fileType)
            .Raw("kind", detected.Text());
        ctx.out << o.Text() << '\n';
    }
    return status;
}

}  // namespace tidewell::cli
