#include "stream/StringQueue.h"

#include <utility>

namespace tidewell {

StringQueue::StringQueue() : items_(static_cast<size_t>(maxSize_) + 1) {}

void StringQueue::Add(std::string it) {
    items_[static_cast<size_t>(writeIndex_)] = std::move(it);
    if (++writeIndex_ >= maxSize_) writeIndex_ = 0;
    if (writeIndex_ == readIndex_) {
        // full: the oldest entry goes
        items_[static_cast<size_t>(readIndex_)].clear();
        if (++readIndex_ >= maxSize_) readIndex_ = 0;
    }
}

int StringQueue::size() const {
    int n = writeIndex_ - readIndex_;
    return n < 0 ? n + maxSize_ : n;
}

std::string StringQueue::GetNext() {
    if (size() == 0) return std::string();
    std::string it = std::move(items_[static_cast<size_t>(readIndex_)]);
    items_[static_cast<size_t>(readIndex_)].clear();
    if (++readIndex_ >= maxSize_) readIndex_ = 0;
    return it;
}

void StringQueue::MaxSize(int maxSize) {
    if (maxSize < 1) maxSize = 1;
    items_.assign(static_cast<size_t>(maxSize) + 1, std::string());
    maxSize_ = maxSize;
    // a smaller ring must not leave a position outside it
    readIndex_ %= maxSize_;
    writeIndex_ %= maxSize_;
}

void StringQueue::Clear() {
    while (size() != 0) GetNext();
}

}  // namespace tidewell
