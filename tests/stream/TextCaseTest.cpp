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

TEST(TextCase, EqualsInAnyCase) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"VANTOR-6", "vantor-6", true},
        {"", "", true},
        {"ab", "abc", false},
        {"\xC4", "\xE4", false},  // Latin-1 letters keep their case
        {"[", "{", false},        // the same bits but for 0x20, and no letters
        {"@", "`", false},
    };
    for (const auto& [a, b, equal] : cases) {
        EXPECT_EQ(EqualsIgnoringCase(a, b), equal) << a << " / " << b;
        EXPECT_EQ(EqualsIgnoringCase(b, a), equal) << b << " / " << a;
    }
}

TEST(TextCase, ContainsInAnyCase) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"End Of Cast 3", "end of cast", true},
        {"..don", "..done", false},
        {"abc", "", true},
        {"ab", "abc", false},
        {"xxOPENING shutterxx", "opening shutter", true},
        {"aab", "ab", true},
    };
    for (const auto& [text, needle, found] : cases)
        EXPECT_EQ(ContainsNoCase(text, needle), found) << text;
}

}  // namespace
}  // namespace tidewell
