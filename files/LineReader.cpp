#include "files/LineReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files/DataFileWriter.h"

namespace tidewell {

bool LineReader::Open(const std::string& path) {
    Close();
    errorNumber_ = 0;
    errorText_.clear();
    readFailed_ = false;
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) {
        errorNumber_ = errno != 0 ? errno : EIO;
        errorText_ = SystemErrorText(errorNumber_);
        return false;
    }
    size_ = 0;
    if (std::fseek(file_, 0, SEEK_END) == 0) {
        const long size = std::ftell(file_);
        size_ = size > 0 ? size : 0;
    }
    std::fseek(file_, 0, SEEK_SET);
    // The stream's own buffer would only add a copy: we read in large blocks ourselves.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    buffer_.resize(kMaxLineBytes);
    return true;
}

void LineReader::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    begin_ = end_ = 0;
    taken_ = 0;
    atEnd_ = afterCr_ = skipping_ = false;
    nextCr_ = nextLf_ = kUnknown;
}

bool LineReader::Refill() {
    const size_t left = end_ - begin_;
    if (begin_ > 0 && left > 0) std::memmove(buffer_.data(), buffer_.data() + begin_, left);
    taken_ += static_cast<int64_t>(begin_);
    begin_ = 0;
    end_ = left;
    nextCr_ = nextLf_ = kUnknown;
    errno = 0;
    const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    if (got == 0) {
        atEnd_ = true;
        if (std::ferror(file_)) {
            readFailed_ = true;
            errorNumber_ = errno != 0 ? errno : EIO;
            errorText_ = SystemErrorText(errorNumber_);
        }
    }
    end_ += got;
    return got > 0;
}

size_t LineReader::Find(char c, size_t from, size_t& found) const {
    // A CR or LF found earlier at or after `from` is still the next one.
    if (found != kUnknown && found >= from) return found;
    const void* hit = std::memchr(buffer_.data() + from, c, end_ - from);
    found =
        hit != nullptr ? static_cast<size_t>(static_cast<const char*>(hit) - buffer_.data()) : end_;
    return found;
}

bool LineReader::Next(std::string_view& line) {
    if (file_ == nullptr) return false;
    size_t scanned = begin_;  // the bytes from begin_ up to here hold no line end
    for (;;) {
        if (afterCr_ && begin_ < end_) {
            if (buffer_[begin_] == '\n') ++begin_;
            afterCr_ = false;
            scanned = begin_;
        }
        if (!afterCr_) {
            const size_t at = std::min(Find('\r', scanned, nextCr_), Find('\n', scanned, nextLf_));
            const char* p = buffer_.data() + at;
            if (at < end_) {
                const bool wasSkipping = skipping_;
                line = std::string_view(buffer_.data() + begin_, at - begin_);
                afterCr_ = *p == '\r';
                skipping_ = false;
                begin_ = at + 1;
                scanned = begin_;
                if (wasSkipping) continue;  // the end of a cut line
                return true;
            }
            if (skipping_) {
                begin_ = end_;
            } else if (end_ - begin_ >= kMaxLineBytes) {
                line = std::string_view(buffer_.data() + begin_, kMaxLineBytes);
                begin_ += kMaxLineBytes;
                skipping_ = true;
                return true;
            }
            scanned = end_;
        }
        if (atEnd_) {
            afterCr_ = false;
            if (begin_ < end_ && !skipping_) {
                line = std::string_view(buffer_.data() + begin_, end_ - begin_);
                begin_ = end_;
                return true;
            }
            begin_ = end_;
            return false;
        }
        const size_t offset = scanned - begin_;
        Refill();
        scanned = begin_ + offset;
    }
}

}  // namespace tidewell
