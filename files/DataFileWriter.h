#pragma once
// An open data file being written: the raw and calibrated recordings, batch output, cast
// transfers. Bytes go out exactly as given (Latin-1 text, our own CR LF line ends); nothing is
// translated. A writer that is not open stands for "no file" and silently ignores writes, so
// callers need not test before every row.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace tidewell {

class DataFileWriter {
  public:
    enum class Mode { kTruncate, kAppend };

    DataFileWriter();
    ~DataFileWriter();
    DataFileWriter(const DataFileWriter&) = delete;
    DataFileWriter& operator=(const DataFileWriter&) = delete;
    DataFileWriter(DataFileWriter&& other) noexcept;
    DataFileWriter& operator=(DataFileWriter&& other) noexcept;

    // Opens `path` for writing (truncating) or appending. On failure the writer stays closed and
    // ErrorNumber/ErrorText tell why.
    bool Open(const std::string& path, Mode mode = Mode::kTruncate);
    bool IsOpen() const { return file_ != nullptr; }
    // Flush hands what is buffered to the system; Sync also has the system put it on the disk;
    // Close writes out what is buffered and closes (nothing when not open). Each is true while
    // every write since Open succeeded.
    bool Flush();
    bool Sync();
    bool Close();

    void Write(std::string_view text);
    // The text and CR LF.
    void WriteLine(std::string_view text);

    // From now until Close the writing is done on a thread of the writer's own, so that the
    // caller builds the next rows while the system takes the last ones: Write only copies the
    // text into a block, and full blocks are written in order. The bytes on the disk are the same.
    // A failed write shows in WriteFailed, with its error, from the next Write on and at the
    // latest after Flush, Sync or Close. Memory stays bounded: when the disk falls behind, Write
    // waits for it. Nothing when not open.
    void WriteBehind();

    // Scratch text kept between calls, so that row builders allocate nothing per row.
    std::string& RowBuffer() { return row_; }

    const std::string& Path() const { return path_; }
    // The system's error number and description of the last failed Open (or of the first failed
    // write since then).
    int ErrorNumber() const { return errorNumber_; }
    const std::string& ErrorText() const { return errorText_; }
    // A write or a flush failed since Open.
    bool WriteFailed() const { return writeFailed_; }
    // True once after a write failed since Open, so that the failure is told once.
    bool TakeNewFailure();

  private:
    class Behind;

    void NoteError(int number);
    // Waits until the writing thread has written everything handed to it, and takes over its
    // failure, if any.
    void DrainBehind();
    // A failed write, flush or close: the first since Open is kept.
    void NoteWriteFailure();

    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::unique_ptr<Behind> behind_;  // while the writing is on its own thread
    std::string path_;
    std::string row_;
    int errorNumber_ = 0;
    std::string errorText_;
    bool writeFailed_ = false;
    bool failureTaken_ = false;
};

// The system's description of an error number, without a trailing period.
std::string SystemErrorText(int number);
// How a file that cannot be opened is told: "Error opening " + path + ": " + description + ".".
std::string OpenErrorText(const std::string& path, const std::string& description);
// How a failed write is told: "Error writing " + path + ": " + description + ".".
std::string WriteErrorText(const std::string& path, const std::string& description);

}  // namespace tidewell
