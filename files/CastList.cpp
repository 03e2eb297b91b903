#include "files/CastList.h"

#include <cmath>
#include <fstream>

#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

// The first estimate of the remaining time comes this long after the download started, later
// ones at most once per this interval.
constexpr double kFirstEstimateSeconds = 5;
constexpr double kEstimateIntervalSeconds = 1;

std::string_view WithoutApostrophe(std::string_view line) {
    if (!line.empty() && line.front() == '\'') line.remove_prefix(1);
    return line;
}

int64_t WholeNumber(std::string_view text) {
    return RoundToInt64(ReadDecimal(text));
}

std::string TwoDigits(int64_t v) {
    return std::string{static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)};
}

}  // namespace

int64_t CastNumber(std::string_view entry) {
    const size_t blank = entry.find(' ');
    return WholeNumber(entry.substr(0, blank));
}

int64_t CastSize(std::string_view entry) {
    while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
    const size_t blank = entry.rfind(' ');
    if (blank == std::string_view::npos) return 0;
    return WholeNumber(entry.substr(blank + 1));
}

int64_t CastEntry::Number() const {
    return CastNumber(text);
}

int64_t CastEntry::Size() const {
    return CastSize(text);
}

void CastDirectory::Clear() {
    *this = CastDirectory();
}

void CastDirectory::TakeLine(std::string_view line) {
    if (ContainsNoCase(line, "duration")) {
        heading_ = std::string(WithoutApostrophe(line));
        headingSeen_ = true;
    } else if (ContainsNoCase(line, "free") || ContainsNoCase(line, "memory")) {
        memoryStatus_ = std::string(WithoutApostrophe(line)) + " ";
    } else if (headingSeen_) {
        entries_.push_back({std::string(WithoutApostrophe(line)) + " "});
    }
}

bool DirectoryTimedOut(double waited, bool complete) {
    return !complete && waited > kDirectoryTimeoutSeconds;
}

std::string DirectoryStatusText(double waited, bool complete) {
    if (complete) return kDirectoryLoadedStatus;
    if (DirectoryTimedOut(waited, complete)) return kDirectoryTimeoutStatus;
    const int dots = waited > 0 ? static_cast<int>(std::floor(waited + 1e-9)) : 0;
    return std::string(kDirectoryLoadingStatus) + std::string(static_cast<size_t>(dots), '.');
}

std::string CastFilePath(const std::string& base, int64_t number, const char* extension) {
    return base + PlainInt(number) + extension;
}

bool HoldsCastEnd(std::string_view text) {
    return ContainsNoCase(text, "end of cast") || ContainsNoCase(text, "'done");
}

bool RawFileHoldsCastEnd(const std::string& path) {
    // the end comes last, followed at most by the instrument's prompt
    constexpr std::streamoff kTail = 4096;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return false;
    const std::streamoff size = file.tellg();
    const std::streamoff from = size > kTail ? size - kTail : 0;
    std::string tail(static_cast<size_t>(size - from), '\0');
    file.seekg(from);
    if (!file.read(tail.data(), static_cast<std::streamsize>(tail.size()))) return false;
    return HoldsCastEnd(tail);
}

std::string CastDataSource(int64_t number) {
    return "Instrument Cast" + PlainInt(number);
}

std::string OverwriteQuestion(const std::vector<std::string>& rawFiles,
                              const std::vector<std::string>& datFiles) {
    const size_t raw = rawFiles.size(), dat = datFiles.size();
    if (raw + dat == 0) return "";
    if (raw + dat == 1) {
        return (raw ? rawFiles[0] : datFiles[0]) + " already exists.  Overwrite it?";
    }
    if (raw == 1 && dat == 1) {
        return rawFiles[0] + " and " + datFiles[0] + " already exist.  Overwrite them?";
    }
    std::string q;
    if (raw) q += PlainInt(static_cast<int64_t>(raw)) + " raw files ";
    if (raw && dat) q += "and ";
    if (dat) q += PlainInt(static_cast<int64_t>(dat)) + " calibrated files ";
    return q + "already exist.  Overwrite them?";
}

std::string DeleteQuestion(const std::vector<int64_t>& numbers, size_t listed) {
    if (numbers.size() == listed)
        return "Permanently delete all data and reset the cast number counter?";
    if (numbers.size() == 1) return "Permanently delete cast " + PlainInt(numbers[0]) + "?";
    return "Permanently delete " + PlainInt(static_cast<int64_t>(numbers.size())) + " casts?";
}

std::string EraseQuestion(const std::string& instrumentName) {
    return "Do you really wish to erase all the data stored in the " + instrumentName +
           "'s memory?";
}

std::string DownloadLabel(int64_t number, int64_t received, int64_t size) {
    return "Cast" + PlainInt(number) + ": " + PlainInt(received) + " /" + PlainInt(size);
}

std::string HoursMinutesSeconds(double seconds) {
    // a time of day: the hours go round after 24
    const int64_t s = RoundToInt64(seconds < 0 ? 0 : seconds);
    return PlainInt(s / 3600 % 24) + ":" + TwoDigits(s / 60 % 60) + ":" + TwoDigits(s % 60);
}

DownloadProgress::DownloadProgress(int64_t size, double startSeconds)
    : size_(size), estimateMark_(startSeconds) {}

bool DownloadProgress::Update(int64_t received, double nowSeconds) {
    bool changed = false;
    if (received - barValue_ > kBarStep) {
        barValue_ = received;
        changed = true;
    }
    const double elapsed = nowSeconds - estimateMark_;
    if (received > 0 && elapsed >= kFirstEstimateSeconds &&
        (lastEstimate_ < 0 || nowSeconds - lastEstimate_ >= kEstimateIntervalSeconds)) {
        lastEstimate_ = nowSeconds;
        const double left = elapsed * static_cast<double>(size_ - received) / received;
        remaining_ = HoursMinutesSeconds(left) + " remaining";
        changed = true;
    }
    return changed;
}

}  // namespace tidewell
