#pragma once
// Receives one file that the instrument sends in 128-byte blocks, each framed as the start code
// 1, the block number, its complement, 128 bytes and a 16-bit CRC (high byte first). The
// receiver asks for the transfer with "C", acknowledges good blocks with 6 and refuses bad ones
// with 21; the instrument ends with 4.
//
// It is driven by the serial input loop: one call per tick with whatever arrived (possibly
// nothing), and the countdown counts those calls, so a block that stays incomplete for 100
// ticks is refused and asked for again. Answers go to the port through the writer given.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tidewell {

class BlockReceiver {
  public:
    enum Phase : int {
        kIdle = 0,
        kStart = 1,
        kWaitForFirstBlock = 2,
        kReceiveBlock = 3,
        kBlockDone = 4,
    };
    static constexpr char kStartOfBlock = 1;
    static constexpr char kEndOfTransmission = 4;
    static constexpr char kAcknowledge = 6;
    static constexpr char kNegativeAcknowledge = 21;
    static constexpr size_t kBlockBytes = 128;
    static constexpr size_t kFrameBytes = 133;  // start, number, complement, block, CRC
    static constexpr int16_t kCountdownTicks = 100;

    using Writer = std::function<void(std::string_view)>;

    explicit BlockReceiver(Writer write = {}) : write_(std::move(write)) {}
    void SetWriter(Writer write) { write_ = std::move(write); }

    // Starts a transfer: the next call asks the instrument for the first block.
    void Start();
    bool Active() const { return phase_ != kIdle; }

    // Takes the text that arrived since the last call. True when the instrument ended the
    // transfer in this call (the caller then empties its pending input).
    bool Receive(std::string_view chunk);

    // A good block is waiting: LastGoodBlock holds it until the next block arrives.
    bool BlockReady() const { return blockReady_; }
    // The block, and the ready flag cleared.
    std::string TakeBlock();
    const std::string& LastGoodBlock() const { return lastGoodBlock_; }

    Phase phase() const { return phase_; }
    int16_t blockNumber() const { return blockNumber_; }
    int16_t countdown() const { return countdown_; }
    const std::string& buffer() const { return buffer_; }

  private:
    void Write(char code);
    void CheckBlock();

    Writer write_;
    Phase phase_ = kIdle;
    int16_t blockNumber_ = 0;
    std::string buffer_;
    std::string lastGoodBlock_;
    int16_t countdown_ = 0;
    bool blockReady_ = false;
};

}  // namespace tidewell
