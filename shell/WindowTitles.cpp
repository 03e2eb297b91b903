#include "shell/WindowTitles.h"

#include "files/FilePaths.h"

namespace tidewell {

std::string UntitledName(int slot) {
    return slot <= 0 ? "untitled" : "untitled " + std::to_string(slot + 1);
}

std::string WindowDescription(const WindowTitleFacts& f) {
    std::string text;
    if (!f.loadedFile.empty()) {
        text = FileNamePart(f.loadedFile);
    } else if (f.recording || f.portOpen) {
        std::string names;
        for (const std::string* name : {&f.rawName, &f.datName}) {
            if (name->empty()) continue;
            if (!names.empty()) names += " / ";
            names += FileNamePart(*name);
        }
        text = names.empty() ? UntitledName(f.slot) : names;
    }
    if (f.portOpen) {
        text += f.serialNumber.empty() ? " Port " + f.portName : " (" + f.serialNumber + ")";
    }
    return text.empty() ? "No connection" : text;
}

std::vector<WindowMenuEntry> BuildWindowMenu(const std::vector<WindowMenuSource>& windows,
                                             int ownerSlot, WindowKind ownerKind) {
    std::vector<WindowMenuEntry> entries;
    auto add = [&](std::string caption, WindowKind kind, int slot) {
        entries.push_back({std::move(caption), kind, slot, slot == ownerSlot && kind == ownerKind});
    };
    for (const WindowMenuSource& w : windows) {
        std::string caption = w.title;
        if (size_t cut = caption.find(kTitleSuffix); cut != std::string::npos) caption.resize(cut);
        add(caption, WindowKind::kData, w.slot);
        if (w.calibrationOpen) add("   Calibration", WindowKind::kCalibration, w.slot);
        if (w.spectrumOpen) add("   Spectrum", WindowKind::kSpectrum, w.slot);
        if (w.terminalOpen) add("   Terminal", WindowKind::kTerminal, w.slot);
    }
    return entries;
}

int WindowSlots::Take() {
    for (int i = 0; i < kMaxDataWindows; ++i) {
        if (!used_[i]) {
            used_[i] = true;
            return i;
        }
    }
    return -1;
}

void WindowSlots::Free(int slot) {
    if (slot >= 0 && slot < kMaxDataWindows) used_[slot] = false;
}

int WindowSlots::Count() const {
    int n = 0;
    for (bool u : used_) n += u ? 1 : 0;
    return n;
}

std::string TooManyWindowsMessage() {
    return "Cannot open more than " + std::to_string(kMaxDataWindows) + " windows.";
}

}  // namespace tidewell
