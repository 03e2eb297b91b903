#pragma once
// The casts an instrument keeps in its memory, as its directory listing tells them, and the
// texts the transfer window shows about them: the listing's status, the progress of a download
// with its time estimate, and the questions before files are overwritten or casts deleted.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell {

// Seconds the listing may take before the window gives up on it.
inline constexpr double kDirectoryTimeoutSeconds = 20;

inline constexpr const char* kDirectoryLoadedStatus = " Loaded";
inline constexpr const char* kDirectoryLoadingStatus = " Loading directory";
inline constexpr const char* kDirectoryTimeoutStatus = " Timeout; no directory";

// One line of the listing, as the list shows it.
struct CastEntry {
    std::string text;  // the line without its leading "'", followed by a blank
    int64_t Number() const;
    int64_t Size() const;
};

// The cast number: the decimal number formed by the text up to its first blank.
int64_t CastNumber(std::string_view entry);
// The cast size in samples: the decimal number after the entry's last blank (blanks at its end
// aside); 0 when it holds no blank.
int64_t CastSize(std::string_view entry);

// The listing as it arrives, line by line: the column heading (the line holding "duration"),
// the memory status (a line holding "free" or "memory") and one entry per line after the
// heading. Lines before the heading are not casts.
class CastDirectory {
  public:
    void Clear();
    void TakeLine(std::string_view line);

    const std::string& heading() const { return heading_; }
    const std::string& memoryStatus() const { return memoryStatus_; }
    bool headingSeen() const { return headingSeen_; }
    const std::vector<CastEntry>& entries() const { return entries_; }

  private:
    std::string heading_;
    std::string memoryStatus_;
    bool headingSeen_ = false;
    std::vector<CastEntry> entries_;
};

// The transfer window's status while it waits for the listing, `waited` seconds after the
// request: " Loaded" once complete; " Loading directory" and one "." per whole second waited up
// to 20 s; " Timeout; no directory" after that.
std::string DirectoryStatusText(double waited, bool complete);
// The listing has been waited for too long.
bool DirectoryTimedOut(double waited, bool complete);

// A cast's files: base + number + ".raw" (or ".dat").
std::string CastFilePath(const std::string& base, int64_t number, const char* extension);

// Received text that ends a cast's download: it holds "end of cast" or "'done", in any case.
bool HoldsCastEnd(std::string_view text);
// A cast's raw file that came to the cast's end: it exists and its last few kilobytes hold the
// end. A download that was stopped, or a file that could not be read, gives false.
bool RawFileHoldsCastEnd(const std::string& path);
// The data source of a downloaded cast's calibrated file: "Instrument Cast3".
std::string CastDataSource(int64_t number);

// The question before files are overwritten, given the raw and calibrated files that exist:
// one file names it, one of each names both, more give their counts. "" when none exists.
std::string OverwriteQuestion(const std::vector<std::string>& rawFiles,
                              const std::vector<std::string>& datFiles);

// The question before casts are deleted: `numbers` selected out of `listed`.
std::string DeleteQuestion(const std::vector<int64_t>& numbers, size_t listed);
// The question before the whole log is erased.
std::string EraseQuestion(const std::string& instrumentName);

// "Cast3: 120 /200"
std::string DownloadLabel(int64_t number, int64_t received, int64_t size);
// Seconds as the window shows a remaining time: hours, minutes and seconds ("1:02:03").
std::string HoursMinutesSeconds(double seconds);

// Follows the download of one cast for its progress bar and time estimate.
class DownloadProgress {
  public:
    // The bar moves in steps of more than this many lines.
    static constexpr int64_t kBarStep = 10;

    DownloadProgress(int64_t size, double startSeconds);
    // The received-lines count at `nowSeconds`. True when the bar or the label changed.
    bool Update(int64_t received, double nowSeconds);

    int64_t barValue() const { return barValue_; }
    int64_t size() const { return size_; }
    // "H:mm:ss remaining" once estimated; empty before.
    const std::string& remaining() const { return remaining_; }

  private:
    int64_t size_;
    double estimateMark_;  // the estimates count their time from here
    double lastEstimate_ = -1;
    int64_t barValue_ = 0;
    std::string remaining_;
};

}  // namespace tidewell
