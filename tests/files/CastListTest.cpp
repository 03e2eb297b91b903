#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "files/CastList.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

TEST(CastList, NumberAndSizeOfAnEntry) {
    const std::tuple<const char*, int64_t, int64_t> cases[] = {
        {"3  05/11/24 09:00:00  00:05:41  20480 ", 3, 20480},
        {"5", 5, 0},  // no blank: no size
        {"", 0, 0},
        {" 4 9", 0, 9},  // the text before the first blank is empty
        {"7  size unknown ", 7, 0},
    };
    for (const auto& [entry, number, size] : cases) {
        SCOPED_TRACE(entry);
        EXPECT_EQ(CastNumber(entry), number);
        EXPECT_EQ(CastSize(entry), size);
    }
}

TEST(CastList, ClearAndLinesKnownByTheirWords) {
    CastDirectory d;
    d.TakeLine("'Cast  Duration");
    d.TakeLine("'Free memory: 4190784 bytes");
    d.TakeLine("3 a 5");
    d.Clear();
    EXPECT_FALSE(d.headingSeen());
    EXPECT_TRUE(d.entries().empty());
    EXPECT_EQ(d.memoryStatus(), "");
    // The heading and memory lines are known by their words, in any case.
    for (const char* line : {"DURATION", "MEMORY used 40%", "2 x 5"}) d.TakeLine(line);
    EXPECT_EQ(d.heading(), "DURATION");
    EXPECT_EQ(d.memoryStatus(), "MEMORY used 40% ");
    ASSERT_EQ(d.entries().size(), 1u);
    EXPECT_EQ(d.entries()[0].text, "2 x 5 ");
}

TEST(CastList, DirectoryStatusWhileWaiting) {
    const std::tuple<double, bool, const char*, bool> cases[] = {
        {2.5, false, " Loading directory..", false},
        {20, false, " Loading directory....................", false},
        {20.05, false, " Timeout; no directory", true},
    };
    for (const auto& [waited, complete, status, timedOut] : cases) {
        SCOPED_TRACE(waited);
        EXPECT_EQ(DirectoryStatusText(waited, complete), status);
        EXPECT_EQ(DirectoryTimedOut(waited, complete), timedOut);
    }
}

// A download is complete when its end comes last, read from the tail of a large file.
TEST(CastList, CastEndAtTheTailOfTheFile) {
    test::TempDir dir;
    const std::string rows(10000, '*');
    test::WriteFileBytes(dir.File("whole.raw"), rows + "\r\nEnd of cast 3\r\n>");
    test::WriteFileBytes(dir.File("cut.raw"), "End of cast 2\r\n" + rows);
    EXPECT_TRUE(RawFileHoldsCastEnd(dir.File("whole.raw")));
    EXPECT_FALSE(RawFileHoldsCastEnd(dir.File("cut.raw")));
    EXPECT_FALSE(RawFileHoldsCastEnd(dir.File("missing.raw")));
}

TEST(CastList, FileNamesQuestionsAndProgressTexts) {
    using V = std::vector<std::string>;
    const std::pair<std::string, std::string> cases[] = {
        {CastFilePath("C:\\data\\run", 3, ".raw"), "C:\\data\\run3.raw"},
        {OverwriteQuestion(V{}, V{}), ""},
        {OverwriteQuestion(V{"/d/r3.raw"}, V{}), "/d/r3.raw already exists.  Overwrite it?"},
        {OverwriteQuestion(V{}, V{"/d/r3.dat"}), "/d/r3.dat already exists.  Overwrite it?"},
        {OverwriteQuestion(V{"a", "b"}, V{}), "2 raw files already exist.  Overwrite them?"},
        {OverwriteQuestion(V{"a"}, V{"b", "c"}),
         "1 raw files and 2 calibrated files already exist.  Overwrite them?"},
        {EraseQuestion("a-Lumo"),
         "Do you really wish to erase all the data stored in the a-Lumo's memory?"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected);
    const std::tuple<double, const char*> times[] = {
        {59.4, "0:00:59"}, {59.6, "0:01:00"},  {3723, "1:02:03"},
        {-5, "0:00:00"},   {90000, "1:00:00"},  // a time of day
    };
    for (const auto& [seconds, text] : times)
        EXPECT_EQ(HoursMinutesSeconds(seconds), text) << seconds;
}

TEST(CastList, BarMovesInStepsOfMoreThanTenLinesAndTimeLeftIsEstimated) {
    DownloadProgress p(200, 0);
    EXPECT_FALSE(p.Update(10, 0.1));
    EXPECT_EQ(p.barValue(), 0);
    EXPECT_TRUE(p.Update(11, 0.2));
    EXPECT_EQ(p.barValue(), 11);
    EXPECT_FALSE(p.Update(21, 0.3));
    EXPECT_TRUE(p.Update(22, 0.4));
    EXPECT_EQ(p.barValue(), 22);
    p = DownloadProgress(1000, 100);  // time left: first after five seconds, then once a second
    p.Update(5, 104.9);
    EXPECT_EQ(p.remaining(), "");
    // 5 s for 100 lines: 900 more take 45 s
    EXPECT_TRUE(p.Update(100, 105));
    EXPECT_EQ(p.remaining(), "0:00:45 remaining");
    p.Update(105, 105.5);  // within the second: no new estimate
    EXPECT_EQ(p.remaining(), "0:00:45 remaining");
    p.Update(200, 106);  // 6 s for 200: 800 take 24 s
    EXPECT_EQ(p.remaining(), "0:00:24 remaining");
    DownloadProgress none(50, 0);
    none.Update(0, 30);  // nothing received: nothing to estimate from
    EXPECT_EQ(none.remaining(), "");
}

TEST(CastList, GarbageLinesNeverBreakTheDirectory) {
    std::mt19937 random(11);
    const std::string alphabet = "'0123456789 DurationFreMmoy\t,.-:/\r\n\x80\xff";
    CastDirectory d;
    for (int i = 0; i < 5000; ++i) {
        std::string line(random() % 40, ' ');
        for (char& ch : line) ch = alphabet[random() % alphabet.size()];
        d.TakeLine(line);
        CastNumber(line);
        CastSize(line);
    }
    // entries follow the heading, end in a blank, and are never heading or memory lines
    EXPECT_TRUE(d.entries().empty() || d.headingSeen());
    for (const CastEntry& e : d.entries()) {
        ASSERT_FALSE(e.text.empty());
        EXPECT_EQ(e.text.back(), ' ');
        std::string lower;
        for (char ch : e.text) lower += static_cast<char>(std::tolower(ch & 0xff));
        for (const char* word : {"duration", "free", "memory"})
            EXPECT_EQ(lower.find(word), std::string::npos) << e.text;
    }
}

}  // namespace
}  // namespace tidewell
