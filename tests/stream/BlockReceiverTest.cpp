#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "stream/BlockReceiver.h"
#include "stream/Crc16.h"

namespace tidewell {
namespace {

TEST(Crc16Xmodem, KnownValues) {
    const std::tuple<std::string, uint16_t> cases[] = {
        {"", 0x0000},  {"123456789", 0x31C3},  // the standard check value of this variant
        {"A", 0x58E5}, {std::string(1, '\0'), 0x0000}, {std::string("\xff", 1), 0x1EF0},
    };
    for (const auto& [bytes, crc] : cases) EXPECT_EQ(Crc16Xmodem(bytes), crc) << bytes;
}

std::string Frame(int number, const std::string& block, bool spoilCrc = false) {
    uint16_t crc = Crc16Xmodem(block);
    if (spoilCrc) crc ^= 1;
    std::string f;
    f += '\x01';
    f += static_cast<char>(number);
    f += static_cast<char>(255 - number);
    f += block;
    f += static_cast<char>(crc >> 8);
    f += static_cast<char>(crc & 0xff);
    return f;
}

std::string Block(char fill) {
    std::string b(128, fill);
    b[0] = '\x01';  // a start code inside the data must not confuse anything
    b[127] = '\x04';
    return b;
}

struct Harness {
    std::string written;
    BlockReceiver receiver{[this](std::string_view s) { written.append(s); }};
};

TEST(BlockReceiver, GoodBlocksAreAcknowledgedAndKept) {
    Harness h;
    EXPECT_FALSE(h.receiver.Receive(Frame(1, Block('a')) + "\x04"));  // idle: takes nothing
    EXPECT_EQ(h.written, "");
    h.receiver.Start();
    EXPECT_FALSE(h.receiver.Receive(""));
    EXPECT_EQ(h.written, "C");
    EXPECT_EQ(h.receiver.phase(), BlockReceiver::kWaitForFirstBlock);

    // noise before the first block is skipped
    const std::string first = Frame(1, Block('a'));
    h.receiver.Receive("xy" + first.substr(0, 50));
    EXPECT_EQ(h.receiver.phase(), BlockReceiver::kReceiveBlock);
    h.receiver.Receive(first.substr(50));
    EXPECT_EQ(h.written, "C\x06");
    ASSERT_TRUE(h.receiver.BlockReady());
    EXPECT_EQ(h.receiver.TakeBlock(), Block('a'));
    EXPECT_FALSE(h.receiver.BlockReady());

    h.receiver.Receive(Frame(2, Block('b')));
    EXPECT_EQ(h.receiver.phase(), BlockReceiver::kReceiveBlock);
    EXPECT_EQ(h.receiver.blockNumber(), 2);
    h.receiver.Receive("");
    EXPECT_EQ(h.written, "C\x06\x06");
    EXPECT_EQ(h.receiver.LastGoodBlock(), Block('b'));

    EXPECT_TRUE(h.receiver.Receive("stray\r\x04"));  // bytes before the end are skipped
    EXPECT_EQ(h.written, "C\x06\x06\x06");
    EXPECT_FALSE(h.receiver.Active());
}

TEST(BlockReceiver, BadCrcIsRefusedAndTheBlockDropped) {
    Harness h;
    h.receiver.Start();
    h.receiver.Receive("");
    h.receiver.Receive(Frame(1, Block('a'), true));
    h.receiver.Receive("");
    EXPECT_EQ(h.written, "C\x15");
    EXPECT_FALSE(h.receiver.BlockReady());
    EXPECT_EQ(h.receiver.LastGoodBlock(), "");
    EXPECT_EQ(h.receiver.phase(), BlockReceiver::kBlockDone);
    // the instrument sends it again
    h.receiver.Receive(Frame(1, Block('a')));
    h.receiver.Receive("");
    EXPECT_EQ(h.written, "C\x15\x06");
    EXPECT_TRUE(h.receiver.BlockReady());
}

TEST(BlockReceiver, IncompleteBlockIsRefusedAfter100Calls) {
    Harness h;
    h.receiver.Start();
    h.receiver.Receive("");
    h.receiver.Receive(Frame(1, Block('a')).substr(0, 100));
    for (int i = 0; i < 99; ++i) h.receiver.Receive("");
    EXPECT_EQ(h.written, "C");
    h.receiver.Receive("");
    EXPECT_EQ(h.written, "C\x15");
    EXPECT_EQ(h.receiver.buffer(), "");
    EXPECT_EQ(h.receiver.countdown(), 100);
    // a block with extra bytes is not a block either
    h.receiver.Receive(Frame(1, Block('a')) + "z");
    EXPECT_FALSE(h.receiver.BlockReady());
}

TEST(BlockReceiver, GarbageNeverBreaksIt) {
    Harness h;
    uint32_t seed = 7;
    for (int round = 0; round < 20000; ++round) {
        if (!h.receiver.Active()) h.receiver.Start();
        seed = seed * 1103515245u + 12345u;
        std::string chunk(seed % 140, '\0');
        for (char& c : chunk) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>(seed >> 24);
        }
        h.receiver.Receive(chunk);
        ASSERT_LE(h.receiver.LastGoodBlock().size(), 128u);
        ASSERT_GE(h.receiver.phase(), BlockReceiver::kIdle);
        ASSERT_LE(h.receiver.phase(), BlockReceiver::kBlockDone);
    }
}

}  // namespace
}  // namespace tidewell
