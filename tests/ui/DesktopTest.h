#pragma once
// A desktop program for a window test: settings in memory, questions answered from a script,
// no release-notes question, the shipped tables beside the test programs.

#include "settings/SettingsStore.h"
#include "shell/ui/DesktopApp.h"
#include "stream/Clock.h"
#include "support/TestSupport.h"
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
    MemorySettingsStore store;
    ScriptedPrompter prompter;
    SystemClock clock;
    ui::DesktopApp app;
};

}  // namespace tidewell::test
