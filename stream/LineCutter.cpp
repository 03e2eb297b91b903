#include "stream/LineCutter.h"

namespace tidewell {

void LineCutter::Append(std::string_view chunk) {
    if (chunk.empty()) return;
    // Lines already cut are dropped here, once per chunk, not once per line.
    if (start_ > 0) {
        text_.erase(0, start_);
        start_ = 0;
    }
    text_.append(chunk);
}

void LineCutter::DropLineFeedAtLineStart() {
    if (atLineStart_ && start_ < text_.size()) {
        if (text_[start_] == '\n') ++start_;
        atLineStart_ = false;
    }
}

std::optional<std::string> LineCutter::NextLine() {
    DropLineFeedAtLineStart();
    const size_t cr = text_.find('\r', start_);
    if (cr == std::string::npos) return std::nullopt;
    std::string line = text_.substr(start_, cr - start_);
    start_ = cr + 1;
    atLineStart_ = true;
    return line;
}

void LineCutter::Clear() {
    text_.clear();
    start_ = 0;
    atLineStart_ = true;
}

}  // namespace tidewell
