#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "stream/LinkState.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

TEST(LinkState, PhrasesInCompleteLines) {
    // line, downloading, state before and after, countdown (99 before)
    const std::tuple<std::string, bool, int32_t, int32_t, int16_t> cases[] = {
        {BuildDPacket({}), false, kLinkStopped, kLinkSampling, 99},
        {BuildDPacket({}), true, kLinkStopped, kLinkDownloading, 99},
        // a star line counts whatever its checksum, and nothing else in it is looked at
        {"*stopped", false, kLinkStopped, kLinkSampling, 99},
        {"Logging starting in 12.5 seconds", false, kLinkStopped, kLinkStarting, 12},
        {"STARTS IN 13.5 s", false, kLinkStopped, kLinkStarting, 14},
        {"Instrument SLEEPING", false, kLinkSampling, kLinkSleeping, 99},
        {"Sampling stopped", false, kLinkSampling, kLinkStopped, 99},
        {"ABORTED by user", false, kLinkSampling, kLinkStopped, 99},
        {"Woke up", false, kLinkSleeping, kLinkStopped, 99},
        {"Turning on lamps", false, kLinkSleeping, kLinkWaking, 99},
        {"erase..done", false, kLinkSampling, kLinkStopped, 99},
        {"Opening Shutter", false, kLinkStopped, kLinkOpenShutter, 99},
        {"closing shutter", false, kLinkStopped, kLinkCloseShutter, 99},
        // the first rule that matches decides
        {"starting in 5 s, then sleeping", false, kLinkStopped, kLinkStarting, 5},
        {"sleeping, ready to wake", false, kLinkStopped, kLinkSleeping, 99},
        {"stopped, opening shutter", false, kLinkSampling, kLinkStopped, 99},
        // decimal data lines: a digit first and at least five commas
        {"1,2,3,4,5,6", false, kLinkStopped, kLinkSampling, 99},
        {"1,2,3,4,5", false, kLinkStopped, kLinkStopped, 99},
        {"-1,2,3,4,5,6", false, kLinkStopped, kLinkStopped, 99},
        {"unknown prompt >", false, kLinkSleeping, kLinkSleeping, 99},
        {"", false, kLinkNoData, kLinkNoData, 99},
    };
    for (const auto& [line, downloading, before, after, countdown] : cases) {
        LinkState link;
        link.state = before;
        link.countdown = 99;
        ApplyLinePhrases(line, downloading, link);
        EXPECT_EQ(link.state, after) << line;
        EXPECT_EQ(link.countdown, countdown) << line;
    }
}

TEST(LinkState, PhrasesInPartialLines) {
    const std::tuple<const char*, int32_t> cases[] = {
        {"OPENING SHUTTER, please wait", kLinkOpenShutter},
        {"Closing Shutter", kLinkCloseShutter},
        {"Erasing..DONE", kLinkStopped},
        {"opening shutter ..done", kLinkOpenShutter},
        // the phrases of complete lines do not act before the line ends
        {"sleeping", kLinkSampling},
        {"opening shut", kLinkSampling},
    };
    for (const auto& [partial, after] : cases) {
        LinkState link;
        link.state = kLinkSampling;
        ApplyPartialLinePhrases(partial, link);
        EXPECT_EQ(link.state, after) << partial;
    }
}

TEST(LinkState, InstrumentMessages) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"!Battery low", "", true},
        {"!Type YES TO ERASE the log", "CLEARLOGCOMMAND", false},
        {"!Type yes to erase the log", "DIR", true},
        {"!Transfer Complete", "", false},
        {"Battery low", "", false},
        {" !Battery low", "", false},
        {"!", "", true},
    };
    for (const auto& [line, lastCommand, shown] : cases) {
        EXPECT_EQ(IsInstrumentMessage(line, lastCommand), shown) << line;
    }
    EXPECT_EQ(InstrumentMessageText("VN6-1234", "!Battery low"), "VN6-1234: Battery low");
    EXPECT_EQ(InstrumentMessageText("", "!x"), ": x");
}

TEST(LinkState, NoDataRule) {
    // Times in seconds from the last text received; the last send completed at `sent`.
    const std::tuple<const char*, int32_t, int32_t, double, double, bool, bool, int32_t, int32_t>
        cases[] = {
            {"unchanged state is not refreshed", kLinkSampling, kLinkSampling, 1, 0, false, false,
             kLinkSampling, kLinkSampling},
            {"a forced update refreshes", kLinkSampling, kLinkSampling, 1, 0, true, true,
             kLinkSampling, kLinkSampling},
            {"a change refreshes", kLinkStopped, kLinkSampling, 1, 0, false, true, kLinkSampling,
             kLinkSampling},
            {"the start countdown always refreshes", kLinkStarting, kLinkStarting, 1, 0, false,
             true, kLinkStarting, kLinkStarting},
            {"11 s is not yet more than 11 s", kLinkSampling, kLinkSampling, 11, 0, false, false,
             kLinkSampling, kLinkSampling},
            {"silence turns sampling into No Data", kLinkSampling, kLinkSampling, 11.5, 0, false,
             true, kLinkNoData, kLinkNoData},
            {"sleeping never becomes No Data", kLinkSleeping, kLinkSleeping, 500, 0, false, false,
             kLinkSleeping, kLinkSleeping},
            {"no connection never becomes No Data", kLinkNoConnection, kLinkNoConnection, 500, 0,
             false, false, kLinkNoConnection, kLinkNoConnection},
            {"stop request holds Pending while data still come", kLinkStopPending, kLinkSampling, 1,
             -2, false, false, kLinkSampling, kLinkStopPending},
            {"4 s after the stop went out the display follows", kLinkStopPending, kLinkSampling, 1,
             -3.5, false, true, kLinkSampling, kLinkSampling},
            {"start request holds Pending for 11 s", kLinkStartPending, kLinkStartPending, 10.9, 0,
             false, false, kLinkStartPending, kLinkStartPending},
            {"start request without data becomes No Data", kLinkStartPending, kLinkStartPending, 11,
             0, false, true, kLinkNoData, kLinkNoData},
            {"stopped after a start request is held too", kLinkStartPending, kLinkStopped, 5, 0,
             false, false, kLinkStopped, kLinkStartPending},
        };
    const double base = 40000.0;
    for (const auto& [name, previous, state, now, sent, force, wantRefresh, stateAfter,
                      previousAfter] : cases) {
        LinkState link;
        link.previousState = previous;
        link.state = state;
        // a recorder that sleeps until the rule is due must not wake after its change
        const double due = NoDataRuleDue(link, base, base + sent * kSecond);
        const bool refresh =
            ApplyNoDataRule(link, base + now * kSecond, base, base + sent * kSecond, force);
        EXPECT_EQ(refresh, wantRefresh) << name;
        EXPECT_EQ(link.state, stateAfter) << name;
        EXPECT_EQ(link.previousState, previousAfter) << name;
        if (link.state != state ||
            (previous == kLinkStopPending && !force && link.previousState != previous)) {
            EXPECT_LE(due, base + now * kSecond) << name;
        }
    }
}

TEST(LinkState, StatusTexts) {
    EXPECT_EQ(LinkStatusText(kLinkStopPending, 0), "Pending");
    for (int32_t code : {int32_t{kLinkDeletingCast}, 15, -1})
        EXPECT_EQ(LinkStatusText(code, 0), std::nullopt) << code;
}

}  // namespace
}  // namespace tidewell
