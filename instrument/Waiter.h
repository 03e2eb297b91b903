#pragma once
// Waiting for an instrument. A wait never blocks the program: while it lasts, events are
// processed and every window's tick keeps running (which is how the reply it waits for
// arrives). Each pass checks the condition, then the cancel request, then the time limit.
//
// The desktop program waits with EventLoopWaiter. Tests wait with SteppingWaiter, which runs
// the ticks itself and steps a ManualClock by one tick per pass, so an 11-second rule is tested
// in 220 passes without sleeping.

#include <functional>
#include <limits>

#include "stream/Clock.h"

namespace tidewell {

enum class WaitResult {
    kDone,       // the condition came true
    kTimedOut,   // the time limit passed first
    kCancelled,  // the cancel request came first
};

inline constexpr double kNoTimeLimit = std::numeric_limits<double>::infinity();

class Waiter {
  public:
    virtual ~Waiter() = default;
    // Lets the program run until `done` holds, `cancelled` holds, or `limitSeconds` have
    // passed since the call. Either function may be empty (never true).
    virtual WaitResult WaitUntil(const std::function<bool()>& done, double limitSeconds,
                                 const std::function<bool()>& cancelled = {}) = 0;
    // Lets the program run for the whole time unless cancelled: kDone when the time passed.
    WaitResult Pause(double seconds, const std::function<bool()>& cancelled = {});
};

// Runs the application's event loop (so every window's tick), sleeping until an event comes,
// and reads the time from the clock. The conditions are looked at after every event, and every
// 50 ms for those that only time makes true.
class EventLoopWaiter : public Waiter {
  public:
    explicit EventLoopWaiter(const Clock& clock) : clock_(clock) {}
    WaitResult WaitUntil(const std::function<bool()>& done, double limitSeconds,
                         const std::function<bool()>& cancelled = {}) override;
    // A wait is under way.
    bool Waiting() const { return depth_ > 0; }

  private:
    const Clock& clock_;
    int depth_ = 0;
};

// Runs `tick` once per pass (normally every window's tick) and then moves the clock on by one
// tick's time.
class SteppingWaiter : public Waiter {
  public:
    SteppingWaiter(ManualClock& clock, std::function<void()> tick, double stepSeconds = 0.05)
        : clock_(clock), tick_(std::move(tick)), stepSeconds_(stepSeconds) {}
    WaitResult WaitUntil(const std::function<bool()>& done, double limitSeconds,
                         const std::function<bool()>& cancelled = {}) override;
    // Passes made by all waits so far.
    long passes() const { return passes_; }

  private:
    ManualClock& clock_;
    std::function<void()> tick_;
    double stepSeconds_;
    long passes_ = 0;
};

}  // namespace tidewell
