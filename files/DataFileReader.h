#pragma once
// Reads a data file line by line without holding the whole file. Lines end at CR LF, CR or LF:
// the files we write use CR LF, raw recordings keep whatever the instrument sent (usually a
// lone CR), and files edited elsewhere may use LF alone. Bytes are returned unchanged.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tidewell {

class DataFileReader {
  public:
    // Longer lines are cut to this length; the rest of such a line is skipped.
    static constexpr size_t kMaxLineBytes = 1 << 20;

    DataFileReader() = default;
    ~DataFileReader() { Close(); }
    DataFileReader(const DataFileReader&) = delete;
    DataFileReader& operator=(const DataFileReader&) = delete;

    // Opens for reading; on failure ErrorNumber/ErrorText tell why.
    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    void Close();

    // The next line without its terminator; false at the end of the file.
    bool ReadLine(std::string& line);
    // Byte offset of the first byte not yet returned (the start of the next line).
    int64_t Position() const { return bufferStart_ + static_cast<int64_t>(next_); }
    // Continues reading at a byte offset that Position returned earlier.
    bool Seek(int64_t position);
    // Length of the file in bytes (at the time it was opened).
    int64_t Size() const { return size_; }

    int ErrorNumber() const { return errorNumber_; }
    const std::string& ErrorText() const { return errorText_; }

  private:
    bool Fill();

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    size_t next_ = 0;  // first unread byte in buffer_
    size_t end_ = 0;   // bytes held in buffer_
    int64_t bufferStart_ = 0;
    int64_t size_ = 0;
    int errorNumber_ = 0;
    std::string errorText_;
};

}  // namespace tidewell
