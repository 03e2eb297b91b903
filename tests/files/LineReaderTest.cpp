#include "files/LineReader.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "support/TestSupport.h"

namespace tidewell {
namespace {

using namespace test;

struct ExpectedLine {
    std::string text;  // cut to kMaxLineBytes
    bool cut = false;  // kMaxLineBytes bytes or more before the end
    int64_t next = 0;  // where the line after it starts
};

// The lines as the reader must cut them, worked out on the whole text at once.
std::vector<ExpectedLine> ExpectedLines(const std::string& text) {
    std::vector<ExpectedLine> lines;
    std::string line;
    bool any = false;
    auto end = [&](size_t next) {
        const bool cut = line.size() >= LineReader::kMaxLineBytes;
        if (cut) line.resize(LineReader::kMaxLineBytes);
        lines.push_back({line, cut, static_cast<int64_t>(next)});
        line.clear();
        any = false;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            end(i + 1);
        } else {
            line += c;
            any = true;
        }
    }
    if (any) end(text.size());
    return lines;
}

std::vector<std::string> LineTexts(const std::vector<ExpectedLine>& lines, size_t from = 0) {
    std::vector<std::string> texts;
    for (size_t i = from; i < lines.size(); ++i) texts.push_back(lines[i].text);
    return texts;
}

// Line ends of every kind, bytes as they are, and lines cut to the longest kept: the cut fuzz
// below covers the mix, these the edges it may not hit.
TEST(LineReader, LineEndsAndOverlongLines) {
    const size_t max = LineReader::kMaxLineBytes;
    const std::string y(max, 'y');
    const std::tuple<std::string, std::vector<std::string>> cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"x\xb0\r", {"x\xb0"}},
        {y.substr(1) + "\r\nnext", {y.substr(1), "next"}},
        {y + "\r\nnext", {y, "next"}},
        {y + "y\nnext", {y, "next"}},
        {y + std::string(70000, 'y') + "\rnext", {y, "next"}},
        {y + y + "yyyyy\r\nnext", {y, "next"}},
    };
    TempDir dir;
    for (const auto& [text, lines] : cases) {
        WriteFileBytes(dir.File("t"), text);
        LineReader reader;
        ASSERT_TRUE(reader.Open(dir.File("t")));
        std::vector<std::string> read;
        for (std::string_view line; reader.Next(line);) read.emplace_back(line);
        EXPECT_EQ(read, lines) << text.size();
        EXPECT_EQ(reader.Position(), static_cast<int64_t>(text.size()));
    }
}

// Texts of several buffer loads with lines of every length, every kind of end (CR LF pairs
// falling across the buffer's edge included) and a line longer than the buffer, which is cut.
// Each line's position is where the next starts, and reading on from there after a seek gives
// the same lines again.
TEST(LineReader, AnyTextAgreesWithTheWholeTextCut) {
    TempDir dir;
    uint32_t seed = 7;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    const char* ends[] = {"\r", "\n", "\r\n", "\n\r"};
    for (int round = 0; round < 6; ++round) {
        // In round 4 a first line longer than the first read makes the next read fill the
        // buffer, whose last byte is then known.
        std::string text = round == 4 ? std::string(70000, 'y') + "\n" : "";
        while (text.size() < 3 * LineReader::kMaxLineBytes) {
            const size_t length = next() % 9 == 0 ? next() % 5000 : next() % 80;
            for (size_t i = 0; i < length; ++i) text += static_cast<char>('A' + next() % 26);
            text += ends[next() % 4];
        }
        if (round % 2 == 1) text.insert(text.size() / 2, LineReader::kMaxLineBytes + 1234, 'x');
        // A CR LF pair exactly on the edge of the first read, and of the first full buffer.
        if (round == 2) text.replace((1 << 16) - 1, 2, "\r\n");
        if (round == 4) text.replace(LineReader::kMaxLineBytes + 1, 2, "\r\n");
        WriteFileBytes(dir.File("t"), text);
        const std::vector<ExpectedLine> expected = ExpectedLines(text);

        LineReader reader;
        ASSERT_TRUE(reader.Open(dir.File("t")));
        EXPECT_EQ(reader.Size(), static_cast<int64_t>(text.size()));
        std::vector<std::string> lines;
        std::string_view line;
        while (reader.Next(line)) {
            const size_t i = lines.size();
            lines.emplace_back(line);
            if (i < expected.size() && !expected[i].cut) {
                ASSERT_EQ(reader.Position(), expected[i].next) << round << " line " << i;
            }
        }
        EXPECT_EQ(lines, LineTexts(expected)) << round;
        EXPECT_EQ(reader.Position(), static_cast<int64_t>(text.size()));

        for (int seek = 0; seek < 4; ++seek) {
            const size_t from = next() % expected.size();
            if (expected[from].cut) continue;
            ASSERT_TRUE(reader.Seek(expected[from].next));
            lines.clear();
            while (reader.Next(line)) lines.emplace_back(line);
            EXPECT_EQ(lines, LineTexts(expected, from + 1)) << round << " after line " << from;
        }
    }
}

TEST(LineReader, OpenAndReadFailuresTellWhy) {
    LineReader reader;
    EXPECT_FALSE(reader.Open("/no/such/file"));
    EXPECT_EQ(reader.ErrorText(), "No such file or directory");
    std::string_view line;
    EXPECT_FALSE(reader.Next(line));
    EXPECT_FALSE(reader.Seek(0));

    TempDir dir;
    if (!reader.Open(dir.path())) GTEST_SKIP() << "folders cannot be opened as files here";
    EXPECT_FALSE(reader.Next(line));
    EXPECT_TRUE(reader.ReadFailed());
    EXPECT_EQ(reader.ErrorText(), "Is a directory");
}

}  // namespace
}  // namespace tidewell
