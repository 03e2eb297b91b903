#include "files/LineReader.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/TestSupport.h"

namespace tidewell {
namespace {

using test::TempDir;
using test::WriteFileBytes;

// The lines as the reader must cut them, worked out on the whole text at once.
std::vector<std::string> ExpectedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    bool any = false;
    auto end = [&] {
        if (line.size() > LineReader::kMaxLineBytes) line.resize(LineReader::kMaxLineBytes);
        lines.push_back(line);
        line.clear();
        any = false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            end();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
            any = true;
        }
    }
    if (any) end();
    return lines;
}

std::vector<std::string> ReadAll(const std::string& path, int64_t* endPosition = nullptr) {
    LineReader reader;
    EXPECT_TRUE(reader.Open(path));
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.Next(line)) lines.emplace_back(line);
    if (endPosition != nullptr) *endPosition = reader.Position();
    return lines;
}

TEST(BatchLineReader, LineEnds) {
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r", {"a"}},
        {"a\rb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"\r\n\r\n", {"", ""}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        WriteFileBytes(dir.File("t"), c.text);
        int64_t end = -1;
        EXPECT_EQ(ReadAll(dir.File("t"), &end), c.lines) << testing::PrintToString(c.text);
        EXPECT_EQ(end, static_cast<int64_t>(std::string(c.text).size()));
    }
}

// Texts of several buffer loads with lines of every length, every kind of end (CR LF pairs
// falling across the buffer's edge included) and a line longer than the buffer, which is cut.
TEST(BatchLineReader, AnyTextAgreesWithTheWholeTextCut) {
    TempDir dir;
    uint32_t seed = 7;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    const char* ends[] = {"\r", "\n", "\r\n", "\n\r"};
    for (int round = 0; round < 6; ++round) {
        std::string text;
        while (text.size() < 3 * LineReader::kMaxLineBytes) {
            const size_t length = next() % 9 == 0 ? next() % 5000 : next() % 80;
            for (size_t i = 0; i < length; ++i) text += static_cast<char>('A' + next() % 26);
            text += ends[next() % 4];
        }
        if (round % 2 == 1) text.insert(text.size() / 2, LineReader::kMaxLineBytes + 1234, 'x');
        // A CR LF pair exactly on the first buffer's edge.
        if (round == 2) text.replace(LineReader::kMaxLineBytes - 1, 2, "\r\n");
        WriteFileBytes(dir.File("t"), text);
        int64_t end = -1;
        EXPECT_EQ(ReadAll(dir.File("t"), &end), ExpectedLines(text)) << round;
        EXPECT_EQ(end, static_cast<int64_t>(text.size()));
    }
}

TEST(BatchLineReader, OpenFailureTellsWhy) {
    LineReader reader;
    EXPECT_FALSE(reader.Open("/no/such/file"));
    EXPECT_EQ(reader.ErrorText(), "No such file or directory");
    std::string_view line;
    EXPECT_FALSE(reader.Next(line));
}

}  // namespace
}  // namespace tidewell
