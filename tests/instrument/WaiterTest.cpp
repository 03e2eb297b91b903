#include "tests/instrument/EngineFixture.h"

namespace tidewell::test {
namespace {

using Waits = EngineTest;

constexpr double kSecond = 1.0 / 86400.0;

TEST_F(Waits, SteppingWaiterCountsTicksOnTheClock) {
    int ticks = 0;
    SteppingWaiter w(clock, [&ticks] { ++ticks; });
    EXPECT_EQ(w.WaitUntil([&ticks] { return ticks == 5; }, 3), WaitResult::kDone);
    EXPECT_EQ(ticks, 5);
    EXPECT_NEAR(clock.Now(), kStart + 0.25 * kSecond, 1e-9);

    const double before = clock.Now();
    EXPECT_EQ(w.WaitUntil({}, 3), WaitResult::kTimedOut);
    EXPECT_EQ(ticks, 65);  // 3 s of 50 ms ticks
    EXPECT_NEAR((clock.Now() - before) / kSecond, 3.0, 1e-3);

    int cancelAt = ticks + 7;
    EXPECT_EQ(w.WaitUntil({}, kNoTimeLimit, [&] { return ticks >= cancelAt; }),
              WaitResult::kCancelled);
    // the condition is checked before the cancel request, and both before the time
    EXPECT_EQ(w.WaitUntil([] { return true; }, 0, [] { return true; }), WaitResult::kDone);
    EXPECT_EQ(w.WaitUntil({}, 0, [] { return true; }), WaitResult::kCancelled);
    EXPECT_EQ(w.Pause(1), WaitResult::kDone);
    EXPECT_EQ(w.passes(), 65 + 7 + 20);
}

}  // namespace
}  // namespace tidewell::test
