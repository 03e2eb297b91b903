#pragma once
// What the instrument operations (sampling set-up, clock, casts) share while they wait for an
// instrument: how long the queued output takes to go out at the tick's pace, and when a wait
// must give up because the link is gone or a cancel was requested.

#include <functional>

#include "instrument/InputTimer.h"
#include "instrument/InstrumentRecord.h"
#include "instrument/SerialInputLoop.h"

namespace tidewell {

inline constexpr double kTickSeconds = kInputTimerMilliseconds / 1000.0;

// Seconds the slot's output queue needs to drain: ten characters a tick to an awake Vantor,
// one to any other instrument. One tick more for the last piece.
inline double OutputDrainSeconds(const InstrumentRecord& r) {
    const bool fast = IsVantorFamily(r.instrumentType) && r.link.state != kLinkSleeping;
    const double perTick = fast ? kCharactersPerTick : 1;
    return static_cast<double>(r.outputQueue.size()) / perTick * kTickSeconds + kTickSeconds;
}

// A wait gives up when the port closed or the connection's cancel was requested.
inline std::function<bool()> LinkLost(const InstrumentRecord& r) {
    return [&r] { return !r.PortOpen() || r.cancelRequest == kCancelRequested; };
}

}  // namespace tidewell
