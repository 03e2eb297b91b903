// Window titles, the Window menu and the six window slots.

#include <gtest/gtest.h>

#include "shell/InstrumentStatus.h"
#include "shell/WindowTitles.h"

namespace tidewell {
namespace {

TEST(WindowTitles, DescriptionNamesWhatTheWindowShows) {
    auto facts = [](int slot, const char* loaded, bool recording, const char* raw, const char* dat,
                    const char* port, const char* serial) {
        WindowTitleFacts f;
        f.slot = slot;
        f.loadedFile = loaded;
        f.recording = recording;
        f.rawName = raw;
        f.datName = dat;
        f.portOpen = *port != 0;
        f.portName = port;
        f.serialNumber = serial;
        return DataWindowTitle(f);
    };
    EXPECT_EQ(facts(0, "", false, "", "", "", ""), "No connection - Tidewell");
    EXPECT_EQ(facts(0, "", true, "", "", "", ""), "untitled - Tidewell");
    EXPECT_EQ(facts(2, "", true, "", "", "", ""), "untitled 3 - Tidewell");
    EXPECT_EQ(facts(0, "/data/c/cast1.raw", false, "", "", "", ""), "cast1.raw - Tidewell");
    EXPECT_EQ(facts(0, "", true, "/d/a.raw", "/d/a.dat", "", ""), "a.raw / a.dat - Tidewell");
    EXPECT_EQ(facts(0, "", true, "", "/d/a.dat", "", ""), "a.dat - Tidewell");
    EXPECT_EQ(facts(0, "", true, "", "", "/dev/ttyUSB0", "VN6-0101"),
              "untitled (VN6-0101) - Tidewell");
    EXPECT_EQ(facts(0, "", false, "", "", "/dev/ttyUSB0", ""),
              "untitled Port /dev/ttyUSB0 - Tidewell");
    EXPECT_EQ(TerminalWindowTitle({}), "No connection Terminal - Tidewell");
}

TEST(WindowTitles, MenuListsEveryWindowWithItsOpenSubWindowsAndChecksTheOwner) {
    const std::vector<WindowMenuSource> windows{
        {0, "untitled (VN6-0101) - Tidewell", true, false, true},
        {3, "cast1.raw - Tidewell", false, true, false},
    };
    const auto entries = BuildWindowMenu(windows, 0, WindowKind::kTerminal);
    std::vector<std::string> captions;
    for (const auto& e : entries) captions.push_back(e.caption + (e.checked ? " *" : ""));
    EXPECT_EQ(captions, (std::vector<std::string>{"untitled (VN6-0101)", "   Calibration",
                                                  "   Terminal *", "cast1.raw", "   Spectrum"}));
    EXPECT_EQ(entries[3].slot, 3);
    EXPECT_EQ(entries[4].kind, WindowKind::kSpectrum);
}

TEST(WindowTitles, SixSlotsThenRefusalAndFreedSlotsAreReused) {
    WindowSlots slots;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(slots.Take(), i);
    EXPECT_EQ(slots.Take(), -1);
    slots.Free(2);
    EXPECT_EQ(slots.Count(), 5);
    EXPECT_EQ(slots.Take(), 2);
}

TEST(InstrumentStatus, FieldsOfTheSlotWithUnknownRatedDepth) {
    InstrumentRecord r;
    r.instrumentType = 0;
    r.serialNumber = "VN6-0101";
    r.identified = true;
    r.firmwareVersion = "3.21";
    r.identification1 = "T1";
    r.portName = "/dev/ttyUSB0";
    r.baudRate = 19200;
    r.Calibration().CalTime = 45000;
    const auto fields = InstrumentStatusFields(r, [](double) { return std::string("3/15/23"); });
    std::vector<std::string> values;
    for (const auto& field : fields) values.push_back(field.second);
    EXPECT_EQ(values,
              (std::vector<std::string>{"Vantor-6", "VN6-0101", "unknown", "Detected", "3.21",
                                        "Yes", "3/15/23", "/dev/ttyUSB0", "19200"}));
    r.Calibration().MaxDepth = 600;
    EXPECT_EQ(InstrumentStatusFields(r, [](double) { return std::string(); })[2].second, "600");
}

}  // namespace
}  // namespace tidewell
