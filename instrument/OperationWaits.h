#pragma once
// What the instrument operations (sampling set-up, clock, casts) share while they wait for an
// instrument: how long the queued output takes to go out at the tick's pace, and when a wait
// must give up because the link is gone or a cancel was requested.

#include <functional>

#include "instrument/InputTimer.h"
#include "instrument/InstrumentRecord.h"
#include "instrument/SerialInputLoop.h"
#include "instrument/Waiter.h"

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

// Lets the queued output go out to the instrument, for at most the time it needs at the tick's
// pace. A port closed before that drops what was still queued: a stop, the end of a setting
// sent one character a tick. Without `cancelled` only a closed port ends the wait early.
inline WaitResult WaitOutputSent(Waiter& waiter, const InstrumentRecord& r,
                                 const std::function<bool()>& cancelled = {}) {
    return waiter.WaitUntil(
        [&r] { return r.outputQueue.empty() && (!r.port || r.port->BytesToWrite() <= 0); },
        OutputDrainSeconds(r),
        [&r, &cancelled] { return !r.PortOpen() || (cancelled && cancelled()); });
}

}  // namespace tidewell
