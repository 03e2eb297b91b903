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
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].caption, "untitled (VN6-0101)");
    EXPECT_FALSE(entries[0].checked);
    EXPECT_EQ(entries[1].caption, "   Calibration");
    EXPECT_EQ(entries[2].caption, "   Terminal");
    EXPECT_TRUE(entries[2].checked);
    EXPECT_EQ(entries[3].caption, "cast1.raw");
    EXPECT_EQ(entries[3].slot, 3);
    EXPECT_EQ(entries[4].caption, "   Spectrum");
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
    const std::vector<std::string> expected{"Vantor-6", "VN6-0101",     "unknown",
                                            "Detected", "3.21",         "Yes",
                                            "3/15/23",  "/dev/ttyUSB0", "19200"};
    ASSERT_EQ(fields.size(), expected.size());
    for (size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i].second, expected[i]) << i;
    r.Calibration().MaxDepth = 600;
    EXPECT_EQ(InstrumentStatusFields(r, [](double) { return std::string(); })[2].second, "600");
}

}  // namespace
}  // namespace tidewell
