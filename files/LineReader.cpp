#include "files/LineReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files/DataFileWriter.h"

namespace tidewell {

namespace {
// One byte more than the longest line: a line whose end is found in the buffer is never longer
// than kMaxLineBytes and needs no length check, and a line without an end is cut once the
// buffer holds kMaxLineBytes bytes of it.
constexpr size_t kBufferBytes = LineReader::kMaxLineBytes + 1;
// The first read after opening or seeking is small: the header readers want a few lines only.
// Later reads fill the buffer.
constexpr size_t kFirstReadBytes = 1 << 16;
}  // namespace

bool LineReader::Open(const std::string& path) {
    Close();
    errorNumber_ = 0;
    errorText_.clear();
    readFailed_ = false;
    cutLines_ = 0;
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
    // Left uninitialised: only the bytes read are ever looked at.
    if (!buffer_) buffer_.reset(new char[kBufferBytes]);
    Restart(0);
    return true;
}

void LineReader::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    Restart(0);
}

void LineReader::Restart(int64_t position) {
    begin_ = end_ = 0;
    taken_ = position;
    readSize_ = kFirstReadBytes;
    atEnd_ = skipping_ = false;
    nextCr_ = nextLf_ = kUnknown;
}

bool LineReader::Seek(int64_t position) {
    if (file_ == nullptr || position < 0) return false;
    if (std::fseek(file_, static_cast<long>(position), SEEK_SET) != 0) return false;
    Restart(position);
    return true;
}

bool LineReader::Refill() {
    const size_t left = end_ - begin_;
    if (begin_ > 0 && left > 0) std::memmove(buffer_.get(), buffer_.get() + begin_, left);
    taken_ += static_cast<int64_t>(begin_);
    begin_ = 0;
    end_ = left;
    nextCr_ = nextLf_ = kUnknown;
    errno = 0;
    const size_t want = std::min(kBufferBytes - end_, readSize_);
    readSize_ = kBufferBytes;
    const size_t got = std::fread(buffer_.get() + end_, 1, want, file_);
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
    const void* hit = std::memchr(buffer_.get() + from, c, end_ - from);
    found =
        hit != nullptr ? static_cast<size_t>(static_cast<const char*>(hit) - buffer_.get()) : end_;
    return found;
}

bool LineReader::Next(std::string_view& line) {
    if (file_ == nullptr) return false;
    const char* const data = buffer_.get();
    size_t scanned = begin_;  // the bytes from begin_ up to here hold no line end
    for (;;) {
        const size_t at = std::min(Find('\r', scanned, nextCr_), Find('\n', scanned, nextLf_));
        size_t next;  // where the line after this one starts
        if (at + 1 < end_) {
            next = at + 1 + (data[at] == '\r' && data[at + 1] == '\n');
        } else if (at < end_ && (data[at] == '\n' || atEnd_)) {
            next = at + 1;
        } else {
            // No whole line end in the buffer. A CR as its last byte waits for the byte after
            // it, so that a CR LF pair is always one end and Position() is where the next line
            // starts. The bytes before `held` belong to the current line.
            const size_t held = std::min(at, end_);
            if (skipping_) {
                begin_ = held;
            } else if (held - begin_ >= kMaxLineBytes) {
                line = std::string_view(data + begin_, kMaxLineBytes);
                begin_ += kMaxLineBytes;
                skipping_ = true;
                ++cutLines_;
                return true;
            }
            if (atEnd_) {
                const bool last = begin_ < end_ && !skipping_;
                line = std::string_view(data + begin_, end_ - begin_);
                begin_ = end_;
                skipping_ = false;
                return last;
            }
            const size_t offset = held - begin_;
            Refill();
            scanned = begin_ + offset;
            continue;
        }
        line = std::string_view(data + begin_, at - begin_);
        begin_ = next;
        if (!skipping_) return true;
        skipping_ = false;  // that was the end of a cut line
        scanned = next;
    }
}

}  // namespace tidewell
