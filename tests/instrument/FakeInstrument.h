#pragma once
// An instrument played on a fake port: every command line the program writes (up to its
// carriage return) is answered, and the answer is there for the next tick to read. Tests set
// the few answers they need; a fixture runs timed events (a shutter that finishes, a line
// that arrives later) on the stepped clock. A sound instrument's replies come from the
// simulator instead: the answers are for silence, garbage, refusals and cut lines.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "calibration/CalibrationData.h"
#include "instrument/ConnectionContext.h"
#include "stream/Clock.h"
#include "tests/instrument/EngineFixture.h"
#include "tests/instrument/FakeSerialPort.h"
#include "tools/sim/BuiltInCalibrations.h"
#include "tools/sim/SimInstrument.h"

namespace tidewell::test {

// Lines with CR LF after each.
inline std::string Lines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

// The identification reply of a model as the instruments give it; a Vantor's has two more
// lines.
inline std::string IdentificationReply(const std::string& modelCode, const std::string& serial) {
    const bool vantor = modelCode.starts_with("VN");
    return Lines({"Identification:", "Model: " + modelCode, "S/N: " + serial, "Config: T0",
                  "Label: Lab", "Firmware: 1.07"}) +
           (vantor ? Lines({"Channels: 8", "Max depth: 600"}) : "") + ">\r\n";
}

// The options of a model talking at the rate the fixture's Connect opens the port with.
inline sim::SimOptions SimModel(int model, int baud = 9600) {
    sim::SimOptions o;
    o.model = model;
    o.baud = baud;
    return o;
}

class FakeInstrument {
  public:
    explicit FakeInstrument(FakeSerialPort& port) : port_(port) {
        port.onWrite = [this](std::string_view text) { Hear(text); };
        port.beforeRead = [this] { Simulated({}); };
    }

    // Plays a simulated instrument holding `held` (its model's own calibration by default),
    // its clock at the program's: it hears every write at the clock's time and the port's
    // rate, and what it sent is there for the next read. Reset `sim` to answer again.
    std::unique_ptr<sim::SimInstrument> sim;
    void Simulate(const Clock& clock, const sim::SimOptions& o) {
        Simulate(clock, o, sim::BuiltInCalibration(o.model));
    }
    void Simulate(const Clock& clock, const sim::SimOptions& o, CalibrationDataClass held) {
        clock_ = &clock;
        start_ = clock.Now();
        sim = std::make_unique<sim::SimInstrument>(o, std::move(held), start_);
    }

    // Answers by the command line's first word in upper case ("ID", "VER", "SENDCAL", "CCL"
    // ...); "" for an empty line. A word without an answer gets `otherwise`.
    std::map<std::string, std::function<std::string(const std::string& line)>> answers;
    std::string otherwise = ">\r\n";
    // Answers go by whole command lines ("DELCAST2") instead of first words.
    bool wholeLines = false;
    // Sees every write before the lines are cut (binary blocks); returns true to take it whole.
    std::function<bool(std::string_view bytes)> raw;
    bool silent = false;             // answers nothing, simulated or not
    std::vector<std::string> heard;  // every command line, in order

    void Answer(const std::string& word, std::string text) {
        answers[word] = [text](const std::string&) { return text; };
    }
    // The lines heard whose first word is `word`.
    int Count(const std::string& word) const {
        int n = 0;
        for (const std::string& l : heard)
            if (Word(l) == word) ++n;
        return n;
    }
    static std::string Word(const std::string& line) {
        std::string w;
        for (char c : line) {
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) break;
            w += static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
        }
        return w;
    }

  private:
    void Hear(std::string_view text) {
        if (raw && raw(text)) return;
        Simulated(text);
        for (char c : text) {
            if (c == '\n') continue;
            if (c != '\r') {
                partial_ += c;
                continue;
            }
            const std::string line = partial_;
            partial_.clear();
            heard.push_back(line);
            if (silent || sim) continue;
            auto it = answers.find(wholeLines ? line : Word(line));
            port_.Feed(it != answers.end() ? it->second(line) : otherwise);
        }
    }

    void Simulated(std::string_view bytes) {
        if (!sim || silent) return;
        if (!port_.Settings().empty()) sim->SetLineBaud(std::stoi(port_.Settings()));
        sim->Receive(bytes, (clock_->Now() - start_) * 86400.0);
        port_.Feed(sim->TakeOutput());
    }

    FakeSerialPort& port_;
    std::string partial_;
    const Clock* clock_ = nullptr;
    double start_ = 0;
};

// The engine's fixture with an instrument that answers only the command lines given answers,
// and each with the text given.
class Answering : public EngineTest {
  protected:
    Answering() {
        instrument.otherwise.clear();
        instrument.wholeLines = true;
    }
    void Answer(const std::string& line, std::string reply) {
        instrument.Answer(line, std::move(reply));
    }
    FakeInstrument instrument{Port()};
};

// The engine's fixture with a connection context whose waits also run timed events.
class ConnectionTest : public EngineTest {
  protected:
    SteppingWaiter stepper{clock, [this] {
                               TickAll();
                               RunDue();
                           }};
    ConnectionContext ctx{program, stepper};

    ConnectionTest() {
        program.settings.TempPath = temp.path() + "/";
        program.settings.Sigma = NumericSigmaParams();
    }

    // Runs `action` once the clock has passed `seconds` from now.
    void At(double seconds, std::function<void()> action) {
        timeline_.push_back({clock.Now() + seconds / 86400.0, std::move(action)});
    }
    double SecondsSince(double start) const { return (clock.Now() - start) * 86400.0; }

    TempDir temp;

  private:
    void RunDue() {
        for (size_t i = 0; i < timeline_.size();) {
            if (timeline_[i].first <= clock.Now() + 1e-9) {
                auto action = std::move(timeline_[i].second);
                timeline_.erase(timeline_.begin() + static_cast<long>(i));
                action();
            } else {
                ++i;
            }
        }
    }
    std::vector<std::pair<double, std::function<void()>>> timeline_;
};

}  // namespace tidewell::test
