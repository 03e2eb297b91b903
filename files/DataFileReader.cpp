#include "files/DataFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files/DataFileWriter.h"

namespace tidewell {

namespace {
constexpr size_t kReadBufferSize = 1 << 16;
}  // namespace

bool DataFileReader::Open(const std::string& path) {
    Close();
    errorNumber_ = 0;
    errorText_.clear();
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        errorNumber_ = errno != 0 ? errno : EIO;
        errorText_ = SystemErrorText(errorNumber_);
        return false;
    }
    if (std::fseek(file_, 0, SEEK_END) == 0) {
        long size = std::ftell(file_);
        size_ = size > 0 ? size : 0;
    }
    std::fseek(file_, 0, SEEK_SET);
    buffer_.resize(kReadBufferSize);
    next_ = end_ = 0;
    bufferStart_ = 0;
    return true;
}

void DataFileReader::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    next_ = end_ = 0;
    bufferStart_ = 0;
}

bool DataFileReader::Fill() {
    if (file_ == nullptr) return false;
    bufferStart_ += static_cast<int64_t>(end_);
    next_ = end_ = 0;
    end_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    return end_ > 0;
}

bool DataFileReader::ReadLine(std::string& line) {
    line.clear();
    if (next_ == end_ && !Fill()) return false;
    for (;;) {
        const char* start = buffer_.data() + next_;
        const char* stop = buffer_.data() + end_;
        const char* p = start;
        while (p < stop && *p != '\r' && *p != '\n') ++p;
        // Garbage without line ends must not fill the memory: the rest of a line beyond the
        // limit is skipped.
        const size_t room = kMaxLineBytes - line.size();
        line.append(start, std::min(room, static_cast<size_t>(p - start)));
        next_ = static_cast<size_t>(p - buffer_.data());
        if (p == stop) {
            if (!Fill()) return true;  // last line without a terminator
            continue;
        }
        const bool cr = *p == '\r';
        ++next_;
        // A CR LF pair is one terminator, even when the pair straddles two buffer loads.
        if (cr && next_ == end_) Fill();
        if (cr && next_ < end_ && buffer_[next_] == '\n') ++next_;
        return true;
    }
}

bool DataFileReader::Seek(int64_t position) {
    if (file_ == nullptr || position < 0) return false;
    if (std::fseek(file_, static_cast<long>(position), SEEK_SET) != 0) return false;
    bufferStart_ = position;
    next_ = end_ = 0;
    return true;
}

}  // namespace tidewell
