#include "files/DataFileWriter.h"

#include <cerrno>
#include <cstring>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tidewell {

namespace {
// Rows are short and many; a large stdio buffer turns them into few system calls.
constexpr size_t kWriteBufferSize = 1 << 16;

// The error of the call that just failed; errno is cleared before each call, so a stale value
// is never told.
int LastError() {
    return errno != 0 ? errno : EIO;
}

// Has the system put the file's data on the disk. A file that cannot be synchronised (a device,
// some network folders) counts as synchronised.
bool SyncToDisk(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0 || errno == EINVAL || errno == ENOTSUP;
#endif
}
}  // namespace

std::string SystemErrorText(int number) {
    std::string text = std::strerror(number);
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}

std::string OpenErrorText(const std::string& path, const std::string& description) {
    return "Error opening " + path + ": " + description + ".";
}

std::string WriteErrorText(const std::string& path, const std::string& description) {
    return "Error writing " + path + ": " + description + ".";
}

DataFileWriter::DataFileWriter(DataFileWriter&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      buffer_(std::move(other.buffer_)),
      path_(std::move(other.path_)),
      row_(std::move(other.row_)),
      errorNumber_(other.errorNumber_),
      errorText_(std::move(other.errorText_)),
      writeFailed_(other.writeFailed_),
      failureTaken_(other.failureTaken_) {}

DataFileWriter& DataFileWriter::operator=(DataFileWriter&& other) noexcept {
    if (this != &other) {
        Close();
        file_ = std::exchange(other.file_, nullptr);
        buffer_ = std::move(other.buffer_);
        path_ = std::move(other.path_);
        row_ = std::move(other.row_);
        errorNumber_ = other.errorNumber_;
        errorText_ = std::move(other.errorText_);
        writeFailed_ = other.writeFailed_;
        failureTaken_ = other.failureTaken_;
    }
    return *this;
}

bool DataFileWriter::Open(const std::string& path, Mode mode) {
    Close();
    errorNumber_ = 0;
    errorText_.clear();
    writeFailed_ = false;
    failureTaken_ = false;
    path_ = path;
    errno = 0;
    file_ = std::fopen(path.c_str(), mode == Mode::kAppend ? "ab" : "wb");
    if (file_ == nullptr) {
        NoteError(LastError());
        return false;
    }
    if (!buffer_) buffer_ = std::make_unique<char[]>(kWriteBufferSize);
    std::setvbuf(file_, buffer_.get(), _IOFBF, kWriteBufferSize);
    return true;
}

bool DataFileWriter::Flush() {
    errno = 0;
    if (file_ != nullptr && std::fflush(file_) != 0) NoteWriteFailure();
    return !writeFailed_;
}

bool DataFileWriter::Sync() {
    if (Flush() && file_ != nullptr) {
        errno = 0;
        if (!SyncToDisk(file_)) NoteWriteFailure();
    }
    return !writeFailed_;
}

bool DataFileWriter::Close() {
    if (file_ == nullptr) return !writeFailed_;
    errno = 0;
    if (std::fclose(file_) != 0) NoteWriteFailure();
    file_ = nullptr;
    return !writeFailed_;
}

void DataFileWriter::Write(std::string_view text) {
    if (file_ == nullptr || text.empty()) return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) NoteWriteFailure();
}

void DataFileWriter::WriteLine(std::string_view text) {
    if (file_ == nullptr) return;
    Write(text);
    Write("\r\n");
}

bool DataFileWriter::TakeNewFailure() {
    if (!writeFailed_ || failureTaken_) return false;
    failureTaken_ = true;
    return true;
}

void DataFileWriter::NoteError(int number) {
    errorNumber_ = number;
    errorText_ = SystemErrorText(number);
}

void DataFileWriter::NoteWriteFailure() {
    if (writeFailed_) return;
    writeFailed_ = true;
    NoteError(LastError());
}

}  // namespace tidewell
