#pragma once
// Every fixed key of the settings store with its default text. Keys whose default is a rule
// (the program folder, another key's value, a computed pure-water value, the screen size) have
// an empty default here; the code that reads them applies the rule.

#include <string>

#include "settings/SettingsStore.h"

namespace tidewell {

// The version this program writes to "Version" and whose own key records a first run.
inline constexpr const char* kVersionText = "2.82";

namespace keys {

// Section "App".
inline constexpr SettingKey Instance{"App", "Instance", ""};
inline constexpr SettingKey Version{"App", "Version", ""};
inline constexpr SettingKey VersionHasRun{"App", kVersionText, "FALSE"};
inline constexpr SettingKey ConnectOnStartup{"App", "ConnectOnStartup", "0"};
inline constexpr SettingKey Path{"App", "Path", ""};
// the root folder of the platform
#ifdef _WIN32
inline constexpr SettingKey SavePath{"App", "SavePath", "\\"};
#else
inline constexpr SettingKey SavePath{"App", "SavePath", "/"};
#endif
inline constexpr SettingKey OpenPath{"App", "OpenPath", ""};        // rule: SavePath
inline constexpr SettingKey OpenCalPath{"App", "OpenCalPath", ""};  // rule: OpenPath
inline constexpr SettingKey CalFile{"App", "CalFile", ""};
inline constexpr SettingKey RecallLastCal{"App", "RecallLastCal", "1"};
inline constexpr SettingKey NameFilesOnOpen{"App", "NameFilesOnOpen", "0"};
inline constexpr SettingKey UserHeader{"App", "UserHeader", ""};
inline constexpr SettingKey MaxGraphPoints{"App", "MaxGraphPoints", "50000"};
inline constexpr SettingKey KAVRA{"App", "KAVRA", "False"};
inline constexpr SettingKey KavraX{"App", "KavraX", "2.7"};
inline constexpr SettingKey KavraCThreshold{"App", "KavraCThreshold", ".02"};
inline constexpr SettingKey KavraInherentC{"App", "KavraInherentC", ".2"};
inline constexpr SettingKey KavraVertical{"App", "KavraVertical", "False"};
inline constexpr SettingKey ChannelViewOpen{"App", "ChannelViewOpen", ""};
inline constexpr SettingKey SaveRawType{"App", "SaveRawType", "1"};
inline constexpr SettingKey SaveLiveType{"App", "SaveLiveType", "1"};
inline constexpr SettingKey TempPath{"App", "TempPath", ""};
inline constexpr SettingKey DownloadDAT{"App", "DownloadDAT", "1"};
inline constexpr SettingKey GraphicsExportType{"App", "GraphicsExportType", "0"};
inline constexpr SettingKey InstErrLeft{"App", "InstErrLeft", "0"};
inline constexpr SettingKey InstErrTop{"App", "InstErrTop", ""};
inline constexpr SettingKey InstErrWidth{"App", "InstErrWidth", "6600"};
inline constexpr SettingKey InstErrHeight{"App", "InstErrHeight", "2256"};

// Section "Connection".
inline constexpr SettingKey Port{"Connection", "Port", ""};
inline constexpr SettingKey Baud{"Connection", "Baud", "9600"};
inline constexpr SettingKey LoadCal{"Connection", "LoadCal", "1"};

// Section "GraphDefaults" (the graph's other keys belong to the graph's own settings).
inline constexpr SettingKey GraphSigma{"GraphDefaults", "Sigma", "True"};
inline constexpr SettingKey GraphVsTime{"GraphDefaults", "VsTime", "FALSE"};

// Section "Sigma".
inline constexpr SettingKey ad400{"Sigma", "ad400", "0.01"};
inline constexpr SettingKey aStar{"Sigma", "aStar", ""};  // rule: <program folder>/aStar.csv
inline constexpr SettingKey bTilde{"Sigma", "bTilde", "0.015"};
inline constexpr SettingKey includePurewater{"Sigma", "includePurewater", "FALSE"};
inline constexpr SettingKey C{"Sigma", "C", "0.1"};
inline constexpr SettingKey gammad{"Sigma", "gammad", "0.011"};
inline constexpr SettingKey gammay{"Sigma", "gammay", "0.014"};
inline constexpr SettingKey p{"Sigma", "p", "0.6"};
inline constexpr SettingKey cUseVN{"Sigma", "cUseVN", "FALSE"};

// Section "bbPrefs".
inline constexpr SettingKey beta0{"bbPrefs", "beta0", ""};  // rule: half fresh water's at 525/140
inline constexpr SettingKey bb0{"bbPrefs", "bb0", ""};      // rule: half fresh water's at 525
inline constexpr SettingKey chi{"bbPrefs", "chi", "1.08"};
inline constexpr SettingKey gammaLambda{"bbPrefs", "gammaLambda", "4.32"};
inline constexpr SettingKey lambda0{"bbPrefs", "lambda0", "525"};
inline constexpr SettingKey CustomPure{"bbPrefs", "CustomPure", "FALSE"};
inline constexpr SettingKey MorelSalt{"bbPrefs", "MorelSalt", "FALSE"};
inline constexpr SettingKey MorelFresh{"bbPrefs", "MorelFresh", "TRUE"};
inline constexpr SettingKey CorvaneRecommended{"bbPrefs", "CorvaneRecommended", "FALSE"};
inline constexpr SettingKey NoPure{"bbPrefs", "NoPure", "FALSE"};
inline constexpr SettingKey useCalFileChi{"bbPrefs", "useCalFileChi", "FALSE"};
inline constexpr SettingKey IncludeBetaInDatFiles{"bbPrefs", "IncludeBetaInDatFiles", "1"};

// Section "Cal": thresholds of the calibration laboratory procedures.
inline constexpr SettingKey MuMaxTailSlope{"Cal", "MuMaxTailSlope", "0.001"};
inline constexpr SettingKey MuFirstValidRange{"Cal", "MuFirstValidRange", "2.5"};
inline constexpr SettingKey MuMinTotalRange{"Cal", "MuMinTotalRange", "15"};
inline constexpr SettingKey GainMaxUncertainty{"Cal", "GainMaxUncertainty", "0.002"};
inline constexpr SettingKey GainMinHighSignal{"Cal", "GainMinHighSignal", "10000"};
inline constexpr SettingKey GainMinHighSignal2{"Cal", "GainMinHighSignal2", "6000"};
inline constexpr SettingKey GainOptSignal{"Cal", "GainOptSignal", "25000"};
inline constexpr SettingKey GainSaturationThreshold{"Cal", "GainSaturationThreshold", "30000"};
inline constexpr SettingKey OffsetMaxUncertainty{"Cal", "OffsetMaxUncertainty", "2.5"};

}  // namespace keys

// Section "Rho": one key per item of the calibration procedure, each defaulting to this.
inline constexpr const char* kRhoSection = "Rho";
inline constexpr const char* kRhoDefault = "1.10";

// A data window's geometry key: the name, a blank and the window slot ("Top 0").
std::string GeometryKey(const std::string& name, int slot);

}  // namespace tidewell
