#include "instrument/InputTimer.h"

#include "instrument/SerialInputLoop.h"

namespace tidewell {

InputTimer::InputTimer(ProgramState& program, int slot) {
    timer_.setInterval(kInputTimerMilliseconds);
    QObject::connect(&timer_, &QTimer::timeout,
                     [&program, slot] { ProcessSerialInputTimer_Timer(program, slot); });
}

void InputTimer::Start() {
    timer_.start();
}

void InputTimer::Stop() {
    timer_.stop();
}

}  // namespace tidewell
