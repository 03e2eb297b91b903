#pragma once
// A desktop program for a window test: settings in memory, questions answered from a script,
// no release-notes question, the shipped tables beside the test programs.

#include "settings/SettingsStore.h"
#include "shell/ui/DesktopApp.h"
#include "stream/Clock.h"
#include "support/TestSupport.h"
#include "tests/integration/SimProcess.h"
#include "tests/ui/UiTest.h"

namespace tidewell::test {

struct Desktop {
    Desktop() : app(store, prompter, clock, Options()) { UiApplication(); }
    static ui::DesktopOptions Options() {
        ui::DesktopOptions o;
        o.programFolder = std::string(TIDEWELL_BIN_DIR) + "/";
        o.askReleaseNotes = false;
        return o;
    }
    // The first data window, started and connected to the simulated instrument at 19200 baud;
    // null (with a failure) when the simulator did not come up or the connection failed.
    ui::DataWindow* StartConnected(const Simulator& sim) {
        EXPECT_FALSE(sim.device().empty());
        if (sim.device().empty()) return nullptr;
        ui::DataWindow* w = app.Start();
        const bool connected = w->ConnectTo(sim.device(), 19200);
        EXPECT_TRUE(connected);
        return connected ? w : nullptr;
    }
    MemorySettingsStore store;
    ScriptedPrompter prompter;
    SystemClock clock;
    ui::DesktopApp app;
};

}  // namespace tidewell::test
