#pragma once
// Lines of a file read through one fixed buffer, handed out as views into that buffer: the
// conversions of whole raw files read millions of lines and neither copy nor allocate per line,
// and the header readers and loaders use the same reader, returning to a remembered position
// when they need to.
//
// A line ends at CR LF, CR or LF: the files we write use CR LF, raw recordings keep whatever the
// instrument sent (usually a lone CR), and files edited elsewhere may use LF alone. CR LF is one
// end even when the two bytes arrive in different reads. A last line without an end counts.
// Bytes are handed out unchanged. A line longer than kMaxLineBytes (binary garbage without line
// ends) is cut: its first kMaxLineBytes bytes are one line and the rest of it is skipped, so
// memory stays flat whatever the file holds.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "stream/LineCounts.h"

namespace tidewell {

class LineReader {
  public:
    static constexpr size_t kMaxLineBytes = kLongestLineBytes;

    LineReader() = default;
    ~LineReader() { Close(); }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Opens for reading; on failure ErrorNumber/ErrorText tell why.
    bool Open(const std::string& path);
    void Close();

    // The next line without its end; valid until the next call. False at the end of the file.
    bool Next(std::string_view& line);
    // File offset of the first byte not yet handed out: the start of the next line, line ends
    // included in what was taken (after a line cut for its length: where the cut fell).
    int64_t Position() const { return taken_ + static_cast<int64_t>(begin_); }
    // Continues reading at a byte offset that Position returned earlier.
    bool Seek(int64_t position);
    // Length of the file when it was opened.
    int64_t Size() const { return size_; }

    int ErrorNumber() const { return errorNumber_; }
    const std::string& ErrorText() const { return errorText_; }
    // Lines cut for their length since Open.
    int64_t CutLines() const { return cutLines_; }
    // A read failed before the end of the file.
    bool ReadFailed() const { return readFailed_; }

  private:
    // Moves what is left to the front of the buffer and reads more; false when nothing came.
    bool Refill();
    // Forgets the buffer's bytes; the next read starts at `position`.
    void Restart(int64_t position);
    // Index of the first `c` at or after `from` in the buffer, end_ when there is none. `found`
    // remembers it, so that each byte is searched at most once for each of CR and LF.
    size_t Find(char c, size_t from, size_t& found) const;

    static constexpr size_t kUnknown = static_cast<size_t>(-1);

    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    size_t begin_ = 0;   // first byte not yet handed out
    size_t end_ = 0;     // bytes held
    int64_t taken_ = 0;  // file offset of buffer_[0]
    int64_t size_ = 0;
    size_t readSize_ = 0;  // how much the next read asks for
    bool atEnd_ = false;
    bool skipping_ = false;  // skipping the rest of a cut line
    bool readFailed_ = false;
    size_t nextCr_ = kUnknown;  // where Find last found a CR (end_: none before end_)
    size_t nextLf_ = kUnknown;
    int64_t cutLines_ = 0;
    int errorNumber_ = 0;
    std::string errorText_;
};

}  // namespace tidewell
