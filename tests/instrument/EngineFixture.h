#pragma once
// A program state on a manual clock, a scripted prompter, settings in memory and fake ports,
// with helpers to connect a slot and run ticks.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "instrument/ProgramState.h"
#include "instrument/SerialInputLoop.h"
#include "instrument/Waiter.h"
#include "support/TestSupport.h"
#include "tests/instrument/FakeSerialPort.h"

namespace tidewell::test {

// Keeps what a window was told.
struct WindowLog : DataWindowObserver {
    std::vector<std::string> statusTexts;  // "(none)" for a state without text
    std::vector<std::string> messages;
    int terminalUpdates = 0;
    int timerEnables = 0;
    void ShowLinkStatus(int, int32_t, const std::optional<std::string>& text) override {
        statusTexts.push_back(text.value_or("(none)"));
    }
    void UpdateTerminal(int) override { ++terminalUpdates; }
    void ShowInstrumentMessage(int, const std::string& text) override { messages.push_back(text); }
    void EnableInputTimer(int) override { ++timerEnables; }
};

class EngineTest : public ::testing::Test {
  protected:
    static constexpr double kStart = 40000.5;  // a date value

    ManualClock clock{kStart};
    ScriptedPrompter prompter;
    MemorySettingsStore store;
    ProgramState program{clock, prompter, store, [] { return std::make_unique<FakeSerialPort>(); }};
    WindowLog observer;
    SteppingWaiter waiter{clock, [this] { TickAll(); }};

    InstrumentRecord& Slot(int slot = 0) { return program.Slot(slot); }
    FakeSerialPort& Port(int slot = 0) { return static_cast<FakeSerialPort&>(*Slot(slot).port); }

    // Opens the slot's port and marks an instrument of the type identified.
    InstrumentRecord& Connect(int type, int slot = 0) {
        InstrumentRecord& r = Slot(slot);
        r.port->Open("/dev/fake" + std::to_string(slot), "9600,N,8,1");
        r.identified = true;
        r.instrumentType = type;
        r.modelName = ModelName(type);
        r.serialNumber = "SN-" + std::to_string(slot);
        r.link.state = kLinkStopped;
        r.link.previousState = kLinkStopped;
        r.lastReceiveTime = clock.Now();
        r.observer = &observer;
        return r;
    }

    // A connected Vantor-6 with the test data's calibration loaded.
    InstrumentRecord& Calibrated() {
        InstrumentRecord& r = Connect(kVantor6);
        EXPECT_TRUE(r.Calibration().SetSourceFile(DataPath("cal/vantor6.cal"),
                                                  program.settings.Sigma, {}, prompter));
        r.calibrationLoaded = true;
        return r;
    }

    void Tick(int slot = 0, int times = 1) {
        for (int i = 0; i < times; ++i) {
            ProcessSerialInputTimer_Timer(program, slot);
            clock.AdvanceSeconds(0.05);
        }
    }
    void TickAll() {
        for (int s = 0; s < kWindowSlotCount; ++s) ProcessSerialInputTimer_Timer(program, s);
    }
    // Feeds text and runs one tick.
    void Receive(std::string_view text, int slot = 0) {
        Port(slot).Feed(text);
        Tick(slot);
    }

    static std::vector<std::string> Drain(StringQueue& q) {
        std::vector<std::string> out;
        while (q.size() > 0) out.push_back(q.GetNext());
        return out;
    }
};

}  // namespace tidewell::test
