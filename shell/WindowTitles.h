#pragma once
// What the title bars and the Window menus of the data windows say. Plain functions of what a
// window holds, so the texts are the same wherever a window is drawn and tests need no window.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tidewell {

inline constexpr int kMaxDataWindows = 6;
inline constexpr const char* kTitleSuffix = " - Tidewell";
inline constexpr const char* kTerminalTitleSuffix = " Terminal - Tidewell";

// What a data window shows, as far as its title is concerned.
struct WindowTitleFacts {
    int slot = 0;
    std::string loadedFile;  // a file shown by a loader ("" when none)
    bool recording = false;  // recording files are open
    std::string rawName;     // the names chosen for them ("" while unnamed)
    std::string datName;
    bool portOpen = false;
    std::string portName;
    std::string serialNumber;  // of the connected instrument, "" when not known
};

// "untitled" for the first window, "untitled 2" and so on for the others.
std::string UntitledName(int slot);
// The window's description: the loaded file's name; for live data "untitled" or the names of
// the files being written ("cast.raw / cast.dat"); with an open port the serial number in
// parentheses, or " Port" and the port when no serial is known; "No connection" when the
// window has neither a file nor an open port.
std::string WindowDescription(const WindowTitleFacts& facts);
inline std::string DataWindowTitle(const WindowTitleFacts& facts) {
    return WindowDescription(facts) + kTitleSuffix;
}
inline std::string TerminalWindowTitle(const WindowTitleFacts& facts) {
    return WindowDescription(facts) + kTerminalTitleSuffix;
}

// One open data window as the Window menu lists it.
struct WindowMenuSource {
    int slot = 0;
    std::string title;  // the data window's title
    bool calibrationOpen = false;
    bool spectrumOpen = false;
    bool terminalOpen = false;
};

enum class WindowKind { kData, kCalibration, kSpectrum, kTerminal };

struct WindowMenuEntry {
    std::string caption;
    WindowKind kind = WindowKind::kData;
    int slot = 0;
    bool checked = false;
};

// The entries of the Window menu of the window (`ownerSlot`, `ownerKind`) that owns the menu:
// per data window its title without " - Tidewell", then, indented by three blanks, its
// calibration, spectrum and terminal windows when open. The owner's entry is checked.
std::vector<WindowMenuEntry> BuildWindowMenu(const std::vector<WindowMenuSource>& windows,
                                             int ownerSlot, WindowKind ownerKind);

// The six window slots. A seventh window is refused.
class WindowSlots {
  public:
    // The first free slot, taken; -1 when all six are in use.
    int Take();
    void Free(int slot);
    bool InUse(int slot) const { return slot >= 0 && slot < kMaxDataWindows && used_[slot]; }
    int Count() const;

  private:
    std::array<bool, kMaxDataWindows> used_{};
};

// "Cannot open more than 6 windows."
std::string TooManyWindowsMessage();
inline constexpr const char* kCannotOpenMoreWindows = "Can not open more data windows.";

}  // namespace tidewell
