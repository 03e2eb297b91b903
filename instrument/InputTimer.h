#pragma once
// What runs the ticks of a slot. A data window ticks every 50 ms. A headless command ticks on
// demand: when input arrives or the link fails; every 50 ms only while something is under way
// (output queued, text arriving, samples left in the queue, a wait pending); once when a
// time-driven rule falls due (the silence rule, the recording's flush). While the line is quiet
// and nothing waits, it does not wake the program at all.

#include <QTimer>
#include <functional>

namespace tidewell {

class ProgramState;

inline constexpr int kInputTimerMilliseconds = 50;

class InputTimer {
  public:
    InputTimer(ProgramState& program, int slot);
    ~InputTimer() { Stop(); }
    InputTimer(const InputTimer&) = delete;
    InputTimer& operator=(const InputTimer&) = delete;
    // Every 50 ms.
    void Start();
    // On demand; `busy` tells when the program waits for something (it then ticks every 50 ms).
    void StartOnDemand(std::function<bool()> busy);
    void Stop();
    bool IsActive() const { return timer_.isActive() || onDemand_; }

  private:
    void Tick();
    // Before the program sleeps: sets the timer to the next moment a tick is needed.
    void PlanNextTick();
    void TickWithin(int milliseconds);

    ProgramState& program_;
    int slot_;
    QTimer timer_;
    bool onDemand_ = false;
    std::function<bool()> busy_;
    QMetaObject::Connection aboutToBlock_;
};

}  // namespace tidewell
