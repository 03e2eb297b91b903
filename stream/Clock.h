#pragma once
// The time as the program sees it. Everything that waits or compares against "now" reads a
// Clock, so that tests can step time instead of sleeping.

namespace tidewell {

class Clock {
  public:
    virtual ~Clock() = default;
    // Local date-time value: days since 1899-12-30, the fraction being the time of day.
    virtual double Now() const = 0;
};

// The computer's local time.
class SystemClock : public Clock {
  public:
    double Now() const override;
};

// A clock that only moves when told to.
class ManualClock : public Clock {
  public:
    explicit ManualClock(double now = 0) : now_(now) {}
    double Now() const override { return now_; }
    void Set(double now) { now_ = now; }
    void AdvanceSeconds(double seconds) { now_ += seconds / 86400.0; }

  private:
    double now_;
};

}  // namespace tidewell
