#include <QTimer>
#include <string>

#include "instrument/InputTimer.h"
#include "tests/instrument/EngineFixture.h"
#include "tests/instrument/TestApplication.h"

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

TEST_F(Waits, EventLoopWaiterRunsTimers) {
    TestApplication();
    SystemClock systemClock;
    EventLoopWaiter w(systemClock);
    bool fired = false;
    QTimer::singleShot(20, [&fired] { fired = true; });
    EXPECT_EQ(w.WaitUntil([&fired] { return fired; }, 5), WaitResult::kDone);
    EXPECT_EQ(w.WaitUntil({}, 0.05), WaitResult::kTimedOut);
    EXPECT_EQ(w.WaitUntil({}, 5, [] { return true; }), WaitResult::kCancelled);

    // the window's input timer ticks while a wait runs
    InstrumentRecord& r = Connect(kVantor6, 2);
    InputTimer timer(program, 2);
    timer.Start();
    Port(2).Feed("hello\r");
    EXPECT_EQ(w.WaitUntil([&r] { return r.terminalQueue.size() == 1; }, 5), WaitResult::kDone);
    timer.Stop();
    EXPECT_EQ(r.terminalQueue.GetNext(), "hello");
}

}  // namespace
}  // namespace tidewell::test
