#pragma once
// The settings the program holds in memory after start-up, and their loading from and saving to
// the settings store. The values are handed to the core (conversion, files, graph) as they are.

#include <cstdint>
#include <string>

#include "calibration/SigmaParams.h"
#include "files/TempFolder.h"
#include "settings/SettingsStore.h"
#include "stream/Prompter.h"

namespace tidewell {

inline constexpr const char* kFirstRunMessage =
    "The current user profile does not yet have Tidewell preferences.  This is OK, but note "
    "that each user's Tidewell settings are independent.  This user's settings will be set to "
    "their defaults.";
inline constexpr const char* kSigmaFilesMissingMessage =
    "Files needed for sigma correction were not found.  Please check the parameter settings.";

inline constexpr int32_t kMinGraphPoints = 1000;
inline constexpr int32_t kMaxGraphPoints = 100000;

struct AppSettings {
    std::string Path;      // the program folder as stored, "" when it no longer exists
    std::string SavePath;  // folders offered by the file dialogs, each ending in a separator
    std::string OpenPath;
    std::string OpenCalPath;
    std::string CalFile;  // last selected calibration file
    bool Kavra = false;   // the Kavra options are enabled
    float KavraX = 2.7f;
    float KavraCThreshold = 0.02f;
    float KavraInherentC = 0.2f;
    bool KavraVertical = false;
    int32_t MaxGraphPoints = 50000;  // 1000-100000
    SigmaParams Sigma;
    PureWaterParams bbPrefs;
    std::string TempPath;  // the temporary folder in use, ending in a separator

    bool operator==(const AppSettings&) const = default;
};

struct LoadedSettings {
    AppSettings settings;
    bool firstRun = false;           // the store had no program folder yet
    bool sigmaFilesMissing = false;  // the caller opens the sigma-parameters dialog
};

// Reads sections "App", "Sigma" and "bbPrefs" into memory. On a first run (no "Path") the
// first-run message is shown and the program folder is stored as "Path". When a sigma table
// file is missing its message is shown and sigmaFilesMissing is set. The temporary folder is
// resolved from "TempPath" and the environment, and remembered when it changes.
LoadedSettings LoadSettings(SettingsStore& store, const std::string& programFolder,
                            const EnvironmentLookup& env, Prompter& prompter);

// Writes the in-memory settings back: "Version", the three folders (without their trailing
// separator), "CalFile", the Kavra keys and section "Sigma". Window geometry and the graph
// defaults are written by WriteWindowGeometry and WriteGraphDefaults; "bbPrefs" by SaveBbPrefs.
void SaveSettings(SettingsStore& store, const AppSettings& settings);
// The twelve keys of section "bbPrefs".
void SaveBbPrefs(SettingsStore& store, const PureWaterParams& prefs);
// Section "Sigma" as the sigma-parameters dialog stores it: the keys SaveSettings writes and
// "includePurewater".
void SaveSigmaParams(SettingsStore& store, const SigmaParams& params);

// Rounds to an integer and keeps it within 1000-100000.
int32_t ClampGraphPoints(double value);

// The temporary folder: "TempPath" when that folder exists, else rebuilt from TEMP, TMP or the
// system's temporary folder, and written back to "TempPath" when it changed.
std::string ResolveTempFolder(SettingsStore& store, const EnvironmentLookup& env);

// A data window's place in twips.
struct WindowGeometry {
    float top = 0;
    float left = 0;
    float height = 0;
    float width = 0;
    bool operator==(const WindowGeometry&) const = default;
};
WindowGeometry ReadWindowGeometry(const SettingsStore& store, int slot,
                                  const WindowGeometry& defaults);
void WriteWindowGeometry(SettingsStore& store, int slot, const WindowGeometry& geometry);
// "GraphDefaults": whether new windows graph sigma-corrected values and against time.
void WriteGraphDefaults(SettingsStore& store, bool sigma, bool vsTime);

}  // namespace tidewell
