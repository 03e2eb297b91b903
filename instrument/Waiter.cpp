#include "instrument/Waiter.h"

#include <QCoreApplication>
#include <QThread>

namespace tidewell {

namespace {

constexpr double kSecondsPerDay = 86400.0;

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
    for (;;) {
        if (Holds(done)) return WaitResult::kDone;
        if (Holds(cancelled)) return WaitResult::kCancelled;
        if ((clock_.Now() - start) * kSecondsPerDay >= limitSeconds) return WaitResult::kTimedOut;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(static_cast<unsigned long>(sleepMilliseconds_));
    }
}

WaitResult SteppingWaiter::WaitUntil(const std::function<bool()>& done, double limitSeconds,
                                     const std::function<bool()>& cancelled) {
    const double start = clock_.Now();
    for (;;) {
        if (Holds(done)) return WaitResult::kDone;
        if (Holds(cancelled)) return WaitResult::kCancelled;
        // a small allowance, so that 3 s of 50 ms steps are 60 passes and not 61
        if ((clock_.Now() - start) * kSecondsPerDay >= limitSeconds - 1e-6) {
            return WaitResult::kTimedOut;
        }
        ++passes_;
        if (tick_) tick_();
        clock_.AdvanceSeconds(stepSeconds_);
    }
}

}  // namespace tidewell
