#include "instrument/InputTimer.h"

#include <algorithm>
#include <chrono>

#include "instrument/ProgramState.h"
#include "instrument/SerialInputLoop.h"

namespace tidewell {

InputTimer::InputTimer(ProgramState& program, int slot) {
    timer_.setInterval(kInputTimerMilliseconds);
    QObject::connect(&timer_, &QTimer::timeout, [&program, slot] {
        const auto begin = std::chrono::steady_clock::now();
        ProcessSerialInputTimer_Timer(program, slot);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
        program.longestTickSeconds = std::max(program.longestTickSeconds, took.count());
    });
}

void InputTimer::Start() {
    timer_.start();
}

void InputTimer::Stop() {
    timer_.stop();
}

}  // namespace tidewell
