#include "settings/AppSettings.h"

#include <algorithm>

#include "calibration/SigmaTable.h"
#include "files/FilePaths.h"
#include "settings/SettingsKeys.h"
#include "stream/NumberText.h"

namespace tidewell {

std::string GeometryKey(const std::string& name, int slot) {
    return name + " " + std::to_string(slot);
}

namespace {

float ReadSingle(const SettingsStore& store, const SettingKey& key, float defaultValue) {
    return static_cast<float>(ReadNumber(store, key.section, key.key, defaultValue));
}

// Folders are stored without their trailing separator; the root folder alone keeps it.
std::string WithoutTrailingSeparator(const std::string& folder) {
    if (folder.size() > 1 && (folder.back() == '/' || folder.back() == kPathSeparator))
        return folder.substr(0, folder.size() - 1);
    return folder;
}

void WriteSigmaKeys(SettingsStore& store, const SigmaParams& params) {
    store.Write(keys::ad400, DoubleText(params.ad400));
    store.Write(keys::aStar, AStarText(params));
    store.Write(keys::bTilde, BTildeText(params));
    store.Write(keys::C, DoubleText(params.C));
    store.Write(keys::gammad, DoubleText(params.gammad));
    store.Write(keys::gammay, DoubleText(params.gammay));
    store.Write(keys::p, DoubleText(params.p));
    store.Write(keys::cUseVN, FlagText(params.cUseVN));
}

// Reads section "Sigma"; returns the number of table files that were missing.
int LoadSigma(const SettingsStore& store, const std::string& programFolder, SigmaParams& params) {
    params = DefaultSigmaParams(programFolder);
    params.ad400 = ReadNumber(store, keys::ad400);
    int missing = 0;
    const std::string aStarText =
        store.Read(keys::aStar.section, keys::aStar.key, params.aStarFile);
    if (!SetAStarFromText(params, aStarText, FindShippedTable(kAStarTableName, programFolder)))
        ++missing;
    if (!SetBTildeFromText(params, store.Read(keys::bTilde))) ++missing;
    params.includePurewater = ReadFlag(store, keys::includePurewater);
    params.C = ReadNumber(store, keys::C);
    params.gammad = ReadNumber(store, keys::gammad);
    params.gammay = ReadNumber(store, keys::gammay);
    params.p = ReadNumber(store, keys::p);
    params.cUseVN = ReadFlag(store, keys::cUseVN);
    return missing;
}

PureWaterParams LoadBbPrefs(const SettingsStore& store) {
    const PureWaterParams defaults;
    PureWaterParams prefs;
    prefs.beta0 = ReadSingle(store, keys::beta0, defaults.beta0);
    prefs.bb0 = ReadSingle(store, keys::bb0, defaults.bb0);
    prefs.chi = ReadSingle(store, keys::chi, defaults.chi);
    prefs.CustomPure = ReadFlag(store, keys::CustomPure);
    prefs.gammaLambda = ReadSingle(store, keys::gammaLambda, defaults.gammaLambda);
    prefs.lambda0 = ReadSingle(store, keys::lambda0, defaults.lambda0);
    prefs.MorelFresh = ReadFlag(store, keys::MorelFresh);
    prefs.MorelSalt = ReadFlag(store, keys::MorelSalt);
    prefs.CorvaneRecommended = ReadFlag(store, keys::CorvaneRecommended);
    prefs.NoPure = ReadFlag(store, keys::NoPure);
    prefs.useCalFileChi = ReadFlag(store, keys::useCalFileChi);
    // The recommended choice is no longer offered as such; its numbers stay as custom ones.
    if (prefs.CorvaneRecommended) {
        prefs.CorvaneRecommended = false;
        prefs.CustomPure = true;
    }
    prefs.IncludeBetaInDatFiles = ReadFlag(store, keys::IncludeBetaInDatFiles);
    return prefs;
}

}  // namespace

int32_t ClampGraphPoints(double value) {
    const int32_t rounded = RoundToInt32(value);
    return std::clamp(rounded, kMinGraphPoints, kMaxGraphPoints);
}

std::string ResolveTempFolder(SettingsStore& store, const EnvironmentLookup& env) {
    TempFolderChoice choice = TempPath(store.Read(keys::TempPath), env);
    if (choice.remember) store.Write(keys::TempPath, *choice.remember);
    return choice.folder;
}

LoadedSettings LoadSettings(SettingsStore& store, const std::string& programFolder,
                            const EnvironmentLookup& env, Prompter& prompter) {
    LoadedSettings loaded;
    AppSettings& s = loaded.settings;

    if (store.Read(keys::Path).empty()) {
        prompter.ShowMessage(kFirstRunMessage);
        store.Write(keys::Path, WithTrailingSeparator(programFolder));
        loaded.firstRun = true;
    }
    // Our file systems report a folder's name as it was given, so only its existence is checked.
    const std::string path = store.Read(keys::Path);
    s.Path = FolderExists(path) ? path : "";

    const std::string savePath = store.Read(keys::SavePath);
    const std::string openPath = store.Read(keys::OpenPath.section, keys::OpenPath.key, savePath);
    const std::string openCalPath =
        store.Read(keys::OpenCalPath.section, keys::OpenCalPath.key, openPath);
    s.SavePath = WithTrailingSeparator(savePath);
    s.OpenPath = WithTrailingSeparator(openPath);
    s.OpenCalPath = WithTrailingSeparator(openCalPath);

    s.CalFile = store.Read(keys::CalFile);
    s.Kavra = ReadFlag(store, keys::KAVRA);
    s.MaxGraphPoints = ClampGraphPoints(ReadNumber(store, keys::MaxGraphPoints));
    s.KavraX = ReadSingle(store, keys::KavraX, 2.7f);
    s.KavraCThreshold = ReadSingle(store, keys::KavraCThreshold, 0.02f);
    s.KavraInherentC = ReadSingle(store, keys::KavraInherentC, 0.2f);
    s.KavraVertical = ReadFlag(store, keys::KavraVertical);

    if (LoadSigma(store, programFolder, s.Sigma) > 0) {
        prompter.ShowMessage(kSigmaFilesMissingMessage);
        loaded.sigmaFilesMissing = true;
    }
    s.bbPrefs = LoadBbPrefs(store);
    s.TempPath = ResolveTempFolder(store, env);
    return loaded;
}

void SaveSettings(SettingsStore& store, const AppSettings& s) {
    store.Write(keys::Version, kVersionText);
    store.Write(keys::SavePath, WithoutTrailingSeparator(s.SavePath));
    store.Write(keys::OpenPath, WithoutTrailingSeparator(s.OpenPath));
    store.Write(keys::OpenCalPath, WithoutTrailingSeparator(s.OpenCalPath));
    store.Write(keys::CalFile, s.CalFile);
    store.Write(keys::KAVRA, FlagText(s.Kavra));
    store.Write(keys::KavraX, SingleText(s.KavraX));
    store.Write(keys::KavraCThreshold, SingleText(s.KavraCThreshold));
    store.Write(keys::KavraInherentC, SingleText(s.KavraInherentC));
    store.Write(keys::KavraVertical, FlagText(s.KavraVertical));
    WriteSigmaKeys(store, s.Sigma);
}

void SaveSigmaParams(SettingsStore& store, const SigmaParams& params) {
    WriteSigmaKeys(store, params);
    store.Write(keys::includePurewater, FlagText(params.includePurewater));
}

void SaveBbPrefs(SettingsStore& store, const PureWaterParams& prefs) {
    store.Write(keys::useCalFileChi, FlagText(prefs.useCalFileChi));
    store.Write(keys::chi, SingleText(prefs.chi));
    store.Write(keys::MorelSalt, FlagText(prefs.MorelSalt));
    store.Write(keys::MorelFresh, FlagText(prefs.MorelFresh));
    store.Write(keys::CustomPure, FlagText(prefs.CustomPure));
    store.Write(keys::NoPure, FlagText(prefs.NoPure));
    store.Write(keys::CorvaneRecommended, FlagText(prefs.CorvaneRecommended));
    store.Write(keys::lambda0, SingleText(prefs.lambda0));
    store.Write(keys::beta0, SingleText(prefs.beta0));
    store.Write(keys::bb0, SingleText(prefs.bb0));
    store.Write(keys::gammaLambda, SingleText(prefs.gammaLambda));
    store.Write(keys::IncludeBetaInDatFiles, FlagText(prefs.IncludeBetaInDatFiles));
}

WindowGeometry ReadWindowGeometry(const SettingsStore& store, int slot,
                                  const WindowGeometry& defaults) {
    auto read = [&](const char* name, float fallback) {
        return static_cast<float>(ReadNumber(store, "App", GeometryKey(name, slot), fallback));
    };
    return {read("Top", defaults.top), read("Left", defaults.left), read("Height", defaults.height),
            read("Width", defaults.width)};
}

void WriteWindowGeometry(SettingsStore& store, int slot, const WindowGeometry& g) {
    store.Write("App", GeometryKey("Top", slot), SingleText(g.top));
    store.Write("App", GeometryKey("Left", slot), SingleText(g.left));
    store.Write("App", GeometryKey("Height", slot), SingleText(g.height));
    store.Write("App", GeometryKey("Width", slot), SingleText(g.width));
}

void WriteGraphDefaults(SettingsStore& store, bool sigma, bool vsTime) {
    store.Write(keys::GraphSigma, FlagText(sigma));
    store.Write(keys::GraphVsTime, FlagText(vsTime));
}

}  // namespace tidewell
