#include <gtest/gtest.h>

#include "stream/TextHelpers.h"

namespace tidewell {
namespace {

TEST(TextCase, LetterCaseOfAsciiOnly) {
    EXPECT_EQ(LowerCase("Opening SHUTTER 12,A"), "opening shutter 12,a");
    EXPECT_EQ(UpperCase("clearLogCommand-1"), "CLEARLOGCOMMAND-1");
    // Latin-1 letters and control bytes stay as they are
    EXPECT_EQ(LowerCase("\xC4\r\n"), "\xC4\r\n");
    EXPECT_EQ(UpperCase("\xE4\t"), "\xE4\t");
}

TEST(TextCase, ContainsInAnyCase) {
    struct Case {
        const char* text;
        const char* needle;
        bool found;
    } cases[] = {
        {"End Of Cast 3", "end of cast", true},
        {"'DONE", "'done", true},
        {"..don", "..done", false},
        {"", "", true},
        {"abc", "", true},
        {"ab", "abc", false},
        {"xxOPENING shutterxx", "opening shutter", true},
        {"aab", "ab", true},
    };
    for (const Case& c : cases) EXPECT_EQ(ContainsNoCase(c.text, c.needle), c.found) << c.text;
}

}  // namespace
}  // namespace tidewell
