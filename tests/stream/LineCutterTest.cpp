#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "stream/LineCutter.h"

namespace tidewell {
namespace {

struct Cut {
    std::vector<std::string> lines;
    std::string pending;
};

Cut CutChunks(const std::vector<std::string>& chunks) {
    LineCutter cutter;
    Cut out;
    for (const std::string& chunk : chunks) {
        cutter.Append(chunk);
        while (auto line = cutter.NextLine()) out.lines.push_back(*line);
    }
    out.pending = std::string(cutter.Pending());
    return out;
}

TEST(LineCutter, KnownInputs) {
    const std::tuple<const char*, std::vector<std::string>, std::vector<std::string>, std::string>
        cases[] = {
            {"carriage return ends a line", {"abc\r"}, {"abc"}, ""},
            {"a line waits for its carriage return", {"ab", "c", "d\rxy"}, {"abcd"}, "xy"},
            {"CR LF ends one line", {"a\r\nb\r\n"}, {"a", "b"}, ""},
            {"LF after CR in the next chunk", {"a\r", "\nb\r"}, {"a", "b"}, ""},
            {"only one LF is dropped", {"a\r\n\nb\r"}, {"a", "\nb"}, ""},
            {"LF at the very start", {"\nx\r"}, {"x"}, ""},
            {"LF inside a line stays", {"a\nb\r"}, {"a\nb"}, ""},
            {"empty lines", {"\r\r"}, {"", ""}, ""},
            {"LF alone ends nothing", {"a\nb\n"}, {}, "a\nb\n"},
            {"bytes of every value pass",
             {std::string("\x00\xff\x01\r", 4)},
             {std::string("\x00\xff\x01", 3)},
             ""},
        };
    for (const auto& [name, chunks, lines, pending] : cases) {
        Cut got = CutChunks(chunks);
        EXPECT_EQ(got.lines, lines) << name;
        EXPECT_EQ(got.pending, pending) << name;
    }
}

TEST(LineCutter, ClearDropsPendingText) {
    LineCutter cutter;
    cutter.Append("partial");
    cutter.Clear();
    EXPECT_TRUE(cutter.Empty());
    cutter.Append("\nnext\r");
    EXPECT_EQ(cutter.NextLine(), "next");
}

TEST(LineCutter, AnyChunkingGivesTheSameLines) {
    std::mt19937 rng(2024);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\r', ','};
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = static_cast<int>(rng() % 60);
        for (int i = 0; i < length; ++i) text += alphabet[rng() % sizeof(alphabet)];
        const Cut whole = CutChunks({text});
        std::vector<std::string> chunks;
        for (size_t at = 0; at < text.size();) {
            size_t n = rng() % 5;  // empty chunks too
            chunks.push_back(text.substr(at, n));
            at += n;
        }
        const Cut pieces = CutChunks(chunks);
        ASSERT_EQ(pieces.lines, whole.lines) << "round " << round;
        ASSERT_EQ(pieces.pending, whole.pending) << "round " << round;
    }
}

}  // namespace
}  // namespace tidewell
