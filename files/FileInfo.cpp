#include "files/FileInfo.h"

#include "calibration/CalFile.h"
#include "files/LineReader.h"
#include "stream/Decoder.h"
#include "stream/Models.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {
constexpr int kMaxHeaderLines = 301;

enum class ScanMode { kInfo, kDetect };

// The reading both readers share. Returns false when the file cannot be opened; `named` tells
// whether a DeviceType key was seen.
bool ScanHeader(const std::string& path, ScanMode mode, DataFileInfo& info, bool& named) {
    info = DataFileInfo{};
    named = false;
    LineReader reader;
    if (!reader.Open(path)) return false;
    std::string_view line;
    std::string section, key, value;
    for (int count = 0; count < kMaxHeaderLines && reader.Next(line); ++count) {
        // Header lines follow the calibration file's key rules.
        CalLineKind kind = SplitCalLine(line, section, key, value);
        if (kind == CalLineKind::Section && section == "Data" && info.instrumentType != 7) break;
        if (kind == CalLineKind::Key && key == "Serial") {
            info.serial = value;
        } else if (kind == CalLineKind::Key && key == "FileType") {
            info.fileType = value;
        } else if (kind == CalLineKind::Key && key == "DeviceType") {
            int code = ModelCode(value);
            if (code >= 0 && code <= 7) info.instrumentType = code;
            info.deviceType = value;
            named = true;
        } else if (kind == CalLineKind::Key && key == "ID") {
            info.id = value;
        } else if (kind == CalLineKind::Key && key == "Config") {
            info.config = value;
        } else if (info.instrumentType == 7) {
            LineKind lineKind = ClassifyLine(line);
            if (mode == ScanMode::kInfo) {
                if (lineKind == kPrefixedRatioDecimalLine) info.fileType = "rmu";
            } else if (lineKind == kPrefixedRatioDecimalLine ||
                       lineKind == kPrefixedSingleDecimalLine) {
                info.fileType = "rmu";
            } else if (lineKind != kOtherLine && info.fileType.empty()) {
                info.fileType = "raw";
            }
            info.instrumentType = GuessInstrumentType(line);
        }
        if (mode == ScanMode::kDetect && !info.fileType.empty() && info.instrumentType != 7 &&
            !info.serial.empty())
            break;
    }
    if (info.serial.empty()) info.serial = "unknown";
    return true;
}

int64_t SerialNumberPart(std::string_view serial) {
    size_t from = serial.size() < 7 ? 2 : 6;
    if (from >= serial.size()) return 0;
    return RoundToInt64(ReadDecimal(serial.substr(from)));
}
}  // namespace

bool ReadFileInfo(const std::string& path, DataFileInfo& info) {
    bool named = false;
    if (!ScanHeader(path, ScanMode::kInfo, info, named)) {
        info = DataFileInfo{};
        return false;
    }
    return named || info.instrumentType != 7;
}

int DetectFileKind(const std::string& path, std::string& fileType, std::string& serial) {
    DataFileInfo info;
    bool named = false;
    ScanHeader(path, ScanMode::kDetect, info, named);
    fileType = info.fileType;
    serial = info.serial.empty() ? "unknown" : info.serial;
    return info.instrumentType;
}

bool SerialsMatch(std::string_view serial1, std::string_view serial2) {
    if (serial1.empty() || serial2.empty() || serial1 == "unknown" || serial2 == "unknown")
        return true;
    if (!EqualsIgnoringCase(serial1.substr(0, 2), serial2.substr(0, 2))) return false;
    return SerialNumberPart(serial1) == SerialNumberPart(serial2);
}

}  // namespace tidewell
