#include "stream/BlockReceiver.h"

#include <utility>

#include "stream/Crc16.h"

namespace tidewell {

void BlockReceiver::Start() {
    phase_ = kStart;
    buffer_.clear();
    blockReady_ = false;
}

std::string BlockReceiver::TakeBlock() {
    blockReady_ = false;
    return lastGoodBlock_;
}

void BlockReceiver::Write(char code) {
    if (write_) write_(std::string_view(&code, 1));
}

bool BlockReceiver::Receive(std::string_view chunk) {
    buffer_.append(chunk);
    switch (phase_) {
        case kIdle:
            buffer_.clear();
            break;
        case kStart:
            blockNumber_ = 1;
            Write('C');
            phase_ = kWaitForFirstBlock;
            countdown_ = kCountdownTicks;
            break;
        case kWaitForFirstBlock: {
            size_t skip = 0;
            while (skip < buffer_.size() && buffer_[skip] != kStartOfBlock) {
                --countdown_;
                ++skip;
            }
            buffer_.erase(0, skip);
            if (!buffer_.empty()) {
                countdown_ = kCountdownTicks;
                phase_ = kReceiveBlock;
            }
            break;
        }
        case kReceiveBlock:
            --countdown_;
            if (buffer_.size() == kFrameBytes) {
                CheckBlock();
            } else if (countdown_ <= 0) {
                Write(kNegativeAcknowledge);
                buffer_.clear();
                countdown_ = kCountdownTicks;
            }
            break;
        case kBlockDone: {
            // stray bytes between blocks must not stall the transfer
            size_t skip = 0;
            while (skip < buffer_.size() && buffer_[skip] != kStartOfBlock &&
                   buffer_[skip] != kEndOfTransmission) {
                ++skip;
            }
            buffer_.erase(0, skip);
            if (buffer_.empty()) break;
            if (buffer_[0] == kStartOfBlock) {
                ++blockNumber_;
                phase_ = kReceiveBlock;
            } else if (buffer_[0] == kEndOfTransmission) {
                phase_ = kIdle;
                buffer_.clear();
                Write(kAcknowledge);
                return true;
            }
            break;
        }
    }
    return false;
}

void BlockReceiver::CheckBlock() {
    const std::string_view block = std::string_view(buffer_).substr(3, kBlockBytes);
    const uint16_t sent =
        static_cast<uint16_t>((static_cast<unsigned char>(buffer_[3 + kBlockBytes]) << 8) |
                              static_cast<unsigned char>(buffer_[3 + kBlockBytes + 1]));
    if (Crc16Xmodem(block) == sent) {
        Write(kAcknowledge);
        lastGoodBlock_.assign(block);
        blockReady_ = true;
    } else {
        Write(kNegativeAcknowledge);
        lastGoodBlock_.clear();
    }
    phase_ = kBlockDone;
    buffer_.clear();
}

}  // namespace tidewell
