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
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"VANTOR-6", "vantor-6", true},
        {"a-Lumo", "A-LUMO", true},
        {"", "", true},
        {"ab", "abc", false},
        {"\xC4", "\xE4", false},  // Latin-1 letters keep their case
        {"[", "{", false},        // the same bits but for 0x20, and no letters
        {"@", "`", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EqualsIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(EqualsIgnoringCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
    }
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
