#pragma once
// Drives a simulated instrument the way the program's port would: commands with their carriage
// return at a given time, and what it sends back as time passes.

#include <string>

#include "tools/sim/BuiltInCalibrations.h"
#include "tools/sim/SimInstrument.h"
#include "tools/sim/SimOptions.h"

namespace tidewell::sim::test {

// The instrument date used by every test: 2024-05-14 10:20:30.
inline constexpr double kTestClock = 45426.430902777778;

struct Driver {
    explicit Driver(SimOptions o, double clock = kTestClock)
        : options(o), sim(o, BuiltInCalibration(o.model), clock) {}
    static SimOptions Model(int model) {
        SimOptions o;
        o.model = model;
        return o;
    }

    // Sends text at the current time, then lets `settle` seconds pass.
    std::string Send(const std::string& text, double settle = 0.1) {
        sim.Receive(text, now);
        now += settle;
        sim.AdvanceTo(now);
        return sim.TakeOutput();
    }
    std::string Wait(double seconds) {
        now += seconds;
        sim.AdvanceTo(now);
        return sim.TakeOutput();
    }

    SimOptions options;
    SimInstrument sim;
    double now = 0;
};

}  // namespace tidewell::sim::test
