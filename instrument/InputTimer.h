#pragma once
// The 50 ms timer of a data window: each time it fires, one tick of the window's slot runs.

#include <QTimer>

namespace tidewell {

class ProgramState;

inline constexpr int kInputTimerMilliseconds = 50;

class InputTimer {
  public:
    InputTimer(ProgramState& program, int slot);
    void Start();
    void Stop();
    bool IsActive() const { return timer_.isActive(); }

  private:
    QTimer timer_;
};

}  // namespace tidewell
