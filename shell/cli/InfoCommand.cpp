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
    if (ctx.args.empty()) {
        ctx.err << "info: no file given\n" << kUsage;
        return 2;
    }
    int status = 0;
    for (const auto& path : ctx.args) {
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
