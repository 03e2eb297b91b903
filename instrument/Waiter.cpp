#include "instrument/Waiter.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace tidewell {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr int kPassMilliseconds = 50;

bool Holds(const std::function<bool()>& f) {
    return f && f();
}

}  // namespace

WaitResult Waiter::Pause(double seconds, const std::function<bool()>& cancelled) {
    const WaitResult r = WaitUntil({}, seconds, cancelled);
    return r == WaitResult::kTimedOut ? WaitResult::kDone : r;
}

WaitResult EventLoopWaiter::WaitUntil(const std::function<bool()>& done, double limitSeconds,
                                      const std::function<bool()>& cancelled) {
    const double start = clock_.Now();
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } depth(depth_);
    QTimer pass;
    pass.start(kPassMilliseconds);
    for (;;) {
        if (Holds(done)) return WaitResult::kDone;
        if (Holds(cancelled)) return WaitResult::kCancelled;
        const double left = limitSeconds - (clock_.Now() - start) * kSecondsPerDay;
        if (left <= 0) return WaitResult::kTimedOut;
        // the limit itself wakes the loop when it comes before the next pass
        if (left * 1000 < kPassMilliseconds)
            pass.start(std::max(1, static_cast<int>(std::ceil(left * 1000))));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

WaitResult SteppingWaiter::WaitUntil(const std::function<bool()>& done, double limitSeconds,
                                     const std::function<bool()>& cancelled) {
    // Time is counted in steps, not read back from the clock: date values near today carry
    // rounding of a microsecond per step, and 3 s must be exactly 60 steps.
    for (long steps = 0;; ++steps) {
        if (Holds(done)) return WaitResult::kDone;
        if (Holds(cancelled)) return WaitResult::kCancelled;
        if (static_cast<double>(steps) * stepSeconds_ >= limitSeconds - 1e-9) {
            return WaitResult::kTimedOut;
        }
        ++passes_;
        if (tick_) tick_();
        clock_.AdvanceSeconds(stepSeconds_);
    }
}

}  // namespace tidewell
