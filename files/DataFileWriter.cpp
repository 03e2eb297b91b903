#include "files/DataFileWriter.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace tidewell {

namespace {
// Rows are short and many; a large stdio buffer turns them into few system calls.
constexpr size_t kWriteBufferSize = 1 << 16;
}  // namespace

std::string SystemErrorText(int number) {
    std::string text = std::strerror(number);
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}

std::string OpenErrorText(const std::string& path, const std::string& description) {
    return "Error opening " + path + ": " + description + ".";
}

DataFileWriter::DataFileWriter(DataFileWriter&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)),
      path_(std::move(other.path_)),
      row_(std::move(other.row_)),
      errorNumber_(other.errorNumber_),
      errorText_(std::move(other.errorText_)),
      writeFailed_(other.writeFailed_) {}

DataFileWriter& DataFileWriter::operator=(DataFileWriter&& other) noexcept {
    if (this != &other) {
        Close();
        file_ = std::exchange(other.file_, nullptr);
        path_ = std::move(other.path_);
        row_ = std::move(other.row_);
        errorNumber_ = other.errorNumber_;
        errorText_ = std::move(other.errorText_);
        writeFailed_ = other.writeFailed_;
    }
    return *this;
}

bool DataFileWriter::Open(const std::string& path, Mode mode) {
    Close();
    errorNumber_ = 0;
    errorText_.clear();
    writeFailed_ = false;
    path_ = path;
    errno = 0;
    file_ = std::fopen(path.c_str(), mode == Mode::kAppend ? "ab" : "wb");
    if (file_ == nullptr) {
        NoteError(errno != 0 ? errno : EIO);
        return false;
    }
    std::setvbuf(file_, nullptr, _IOFBF, kWriteBufferSize);
    return true;
}

void DataFileWriter::Close() {
    if (file_ == nullptr) return;
    if (std::fclose(file_) != 0 && !writeFailed_) {
        writeFailed_ = true;
        NoteError(errno != 0 ? errno : EIO);
    }
    file_ = nullptr;
}

void DataFileWriter::Write(std::string_view text) {
    if (file_ == nullptr || text.empty()) return;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() && !writeFailed_) {
        writeFailed_ = true;
        NoteError(errno != 0 ? errno : EIO);
    }
}

void DataFileWriter::WriteLine(std::string_view text) {
    if (file_ == nullptr) return;
    Write(text);
    Write("\r\n");
}

void DataFileWriter::NoteError(int number) {
    errorNumber_ = number;
    errorText_ = SystemErrorText(number);
}

}  // namespace tidewell
