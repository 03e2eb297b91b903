#pragma once
// A simulated instrument on the fake port: every write reaches it at the stepped clock's time,
// at the rate the port is set to, and what it has sent by then is there for the port's next
// read. Tests whose instrument answers as a sound one would use it instead of scripting the
// replies; FakeInstrument stays for silence, garbage and refusals.

#include <string>
#include <string_view>
#include <vector>

#include "stream/Clock.h"
#include "tests/instrument/FakeInstrument.h"
#include "tests/instrument/FakeSerialPort.h"
#include "tools/sim/BuiltInCalibrations.h"
#include "tools/sim/SimInstrument.h"

namespace tidewell::test {

// The options of a model talking at the rate the fixture's Connect opens the port with.
inline sim::SimOptions SimModel(int model, int baud = 9600) {
    sim::SimOptions o;
    o.model = model;
    o.baud = baud;
    return o;
}

class SimulatedInstrument {
  public:
    // The instrument's clock agrees with the program's at the start.
    SimulatedInstrument(FakeSerialPort& port, const ManualClock& clock, const sim::SimOptions& o)
        : SimulatedInstrument(port, clock, o, sim::BuiltInCalibration(o.model)) {}
    SimulatedInstrument(FakeSerialPort& port, const ManualClock& clock, const sim::SimOptions& o,
                        CalibrationDataClass held)
        : sim(o, std::move(held), clock.Now()), port_(port), clock_(clock), start_(clock.Now()) {
        port.onWrite = [this](std::string_view bytes) {
            Hear(bytes);
            Follow();
            sim.Receive(bytes, Seconds());
        };
        port.beforeRead = [this] {
            Follow();
            sim.AdvanceTo(Seconds());
            port_.Feed(sim.TakeOutput());
        };
    }

    ~SimulatedInstrument() {
        port_.onWrite = nullptr;
        port_.beforeRead = nullptr;
    }

    sim::SimInstrument sim;
    std::vector<std::string> heard;  // every command line, in order

    int Count(const std::string& word) const {
        int n = 0;
        for (const std::string& l : heard) n += FakeInstrument::Word(l) == word;
        return n;
    }

  private:
    double Seconds() const { return (clock_.Now() - start_) * 86400.0; }
    // The instrument hears the rate the port is set to.
    void Follow() {
        const std::string s = port_.Settings();
        if (!s.empty()) sim.SetLineBaud(std::stoi(s));
    }
    void Hear(std::string_view bytes) {
        for (char c : bytes) {
            if (c == '\r') {
                heard.push_back(partial_);
                partial_.clear();
            } else if (c != '\n') {
                partial_ += c;
            }
        }
    }

    FakeSerialPort& port_;
    const ManualClock& clock_;
    double start_;
    std::string partial_;
};

}  // namespace tidewell::test
