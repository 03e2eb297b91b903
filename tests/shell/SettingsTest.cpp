#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <tuple>

#include "settings/AppSettings.h"
#include "settings/SettingsKeys.h"
#include "shell/QtSettingsStore.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using namespace test;

// An environment whose TEMP is the given folder.
EnvironmentLookup TempEnvironment(const std::string& temp) {
    return [temp](const std::string& name) -> std::optional<std::string> {
        if (name == "TEMP") return temp;
        return std::nullopt;
    };
}

// A program folder with or without the shipped aStar table, and a temporary folder.
struct Fixture {
    TempDir dir;
    std::string program;
    std::string temp;
    explicit Fixture(bool shipAStar = true) {
        program = dir.File("bin");
        temp = dir.File("tmp");
        std::filesystem::create_directories(program);
        std::filesystem::create_directories(temp);
        if (shipAStar) test::WriteFileBytes(program + "/aStar.csv", "400,0.687\r\n440,1\r\n");
    }
    LoadedSettings Load(SettingsStore& store, ScriptedPrompter& prompter) const {
        return LoadSettings(store, program, TempEnvironment(temp), prompter);
    }
    AppSettings LoadQuietly(SettingsStore& store) const {
        ScriptedPrompter prompter;
        return Load(store, prompter).settings;
    }
};

TEST(Settings, EmptyStoreLoadsTheDefaultsAndMarksTheFirstRun) {
    Fixture f;
    QtSettingsStore store(f.dir.File("Tidewell.ini"));
    ScriptedPrompter prompter;
    const LoadedSettings loaded = f.Load(store, prompter);
    EXPECT_EQ(prompter.shown,
              Texts{"The current user profile does not yet have Tidewell preferences.  This is OK, "
                    "but note that each user's Tidewell settings are independent.  This user's "
                    "settings will be set to their defaults."});
    EXPECT_TRUE(loaded.firstRun);
    AppSettings expected;
    expected.Path = f.program + "/";
    expected.SavePath = expected.OpenPath = expected.OpenCalPath = "/";
    expected.Sigma.aStarFile = f.program + "/aStar.csv";  // the shipped table
    expected.TempPath = f.temp + "/Tidewell/";            // a folder of our own in TEMP
    EXPECT_EQ(loaded.settings, expected);
    EXPECT_TRUE(std::filesystem::is_directory(f.temp + "/Tidewell"));

    ScriptedPrompter again;
    const LoadedSettings second = f.Load(store, again);
    EXPECT_FALSE(second.firstRun);
    EXPECT_TRUE(again.shown.empty());
    EXPECT_EQ(second.settings, expected);
}

TEST(Settings, FoldersFollowEachOtherAndGetTheirSeparator) {
    const std::tuple<std::optional<std::string>, std::optional<std::string>,
                     std::optional<std::string>, const char*, const char*, const char*>
        cases[] = {{"/data", std::nullopt, std::nullopt, "/data/", "/data/", "/data/"},
                   {"/data/", "/in", std::nullopt, "/data/", "/in/", "/in/"},
                   {std::nullopt, std::nullopt, "/cal", "/", "/", "/cal/"}};
    Fixture f;
    for (const auto& [save, open, openCal, savePath, openPath, openCalPath] : cases) {
        MemorySettingsStore store;
        store.Write(keys::Path, f.dir.File("gone/"));  // a program folder that is gone reads ""
        if (save) store.Write(keys::SavePath, *save);
        if (open) store.Write(keys::OpenPath, *open);
        if (openCal) store.Write(keys::OpenCalPath, *openCal);
        const AppSettings s = f.LoadQuietly(store);
        EXPECT_EQ(s.Path, "");
        EXPECT_EQ(s.SavePath + s.OpenPath + s.OpenCalPath,
                  std::string(savePath) + openPath + openCalPath);
    }
}

TEST(Settings, MaxGraphPointsIsRoundedAndClamped) {
    const std::tuple<const char*, int32_t> cases[] = {{"-5", 1000},     {"1000.5", 1000},
                                                      {"1001.5", 1002}, {"100001", 100000},
                                                      {"abc", 50000},   {" 20000 ", 20000}};
    Fixture f;
    for (const auto& [stored, points] : cases) {
        MemorySettingsStore store;
        store.Write(keys::Path, f.program);
        store.Write(keys::MaxGraphPoints, stored);
        EXPECT_EQ(f.LoadQuietly(store).MaxGraphPoints, points) << stored;
    }
}

// Which key feeds which parameter, the shipped table as the fallback and the missing files;
// how a text becomes a number or a file is the sigma parameters' own rule.
TEST(Settings, SigmaTablesAreNumbersOrFiles) {
    const std::tuple<bool, const char*, const char*, double, const char*, double, bool> cases[] = {
        {true, "@/gone.csv", nullptr, Failed, "@/aStar.csv", 0.015, false},  // shipped instead
        {false, "@/gone.csv", nullptr, Failed, "@/gone.csv", 0.015, true},
        {false, nullptr, nullptr, Failed, "@/aStar.csv", 0.015, true},
        {true, "0.5", "@/gone.csv", 0.5, "", 0.015, true}};
    for (const auto& [shipAStar, aStar, bTilde, aStarValue, aStarFile, bTildeValue, missing] :
         cases) {
        Fixture f(shipAStar);
        auto expand = [&](std::string s) {
            return s.starts_with("@") ? f.program + s.substr(1) : s;
        };
        MemorySettingsStore store;
        store.Write(keys::Path, f.program);
        if (aStar) store.Write(keys::aStar, expand(aStar));
        if (bTilde) store.Write(keys::bTilde, expand(bTilde));
        ScriptedPrompter prompter;
        const LoadedSettings loaded = f.Load(store, prompter);
        const std::string label = aStar ? aStar : "(absent)";
        EXPECT_EQ(loaded.settings.Sigma.aStar, aStarValue) << label;
        EXPECT_EQ(loaded.settings.Sigma.aStarFile, expand(aStarFile)) << label;
        EXPECT_EQ(loaded.settings.Sigma.bTilde, bTildeValue) << label;
        EXPECT_EQ(loaded.sigmaFilesMissing, missing) << label;
        const Texts said{
            "Files needed for sigma correction were not found.  Please check the "
            "parameter settings."};
        EXPECT_EQ(prompter.shown, missing ? said : Texts{}) << label;
    }
}

TEST(Settings, SavedSettingsLoadBackTheSame) {
    Fixture f;
    AppSettings saved;
    saved.Path = f.program + "/";
    saved.SavePath = f.dir.File("save/");
    saved.OpenPath = f.dir.File("open/");
    saved.OpenCalPath = "/";
    saved.CalFile = f.dir.File("V6 123, spare.cal");  // a comma must survive the INI file
    saved.Kavra = saved.KavraVertical = true;
    saved.KavraX = 3.25f;
    saved.KavraCThreshold = 0.015f;
    saved.KavraInherentC = 0.3f;
    saved.Sigma = {0.04, "",   Failed, f.program + "/aStar.csv", 0.0155, 0.012, 2.5, 0.02,
                   0.7,  true, true};
    ChoosePureWaterModel(saved.bbPrefs, PureWaterModel::MorelSalt);
    saved.bbPrefs.chi = 1.1f;
    saved.bbPrefs.useCalFileChi = true;
    saved.bbPrefs.IncludeBetaInDatFiles = false;
    saved.TempPath = f.temp + "/Tidewell/";
    const std::string ini = f.dir.File("Tidewell.ini");
    {
        QtSettingsStore store(ini);
        store.Write(keys::Path, saved.Path);
        SaveSettings(store, saved);
        SaveSigmaParams(store, saved.Sigma);
        SaveBbPrefs(store, saved.bbPrefs);
    }
    QtSettingsStore store(ini);
    // folders without their separator, but the root keeps it
    EXPECT_EQ(
        store.Read(keys::Version) + store.Read(keys::SavePath) + store.Read(keys::OpenCalPath),
        "2.82" + f.dir.File("save") + "/");
    EXPECT_EQ(
        store.Read(keys::KAVRA) + store.Read(keys::chi) + store.Read(keys::IncludeBetaInDatFiles),
        "True1.1False");
    ScriptedPrompter prompter;
    AppSettings loaded = f.Load(store, prompter).settings;
    EXPECT_TRUE(prompter.shown.empty());
    // Singles are kept with 7 significant digits, as the program has always written them.
    EXPECT_FLOAT_EQ(loaded.bbPrefs.beta0, saved.bbPrefs.beta0);
    EXPECT_FLOAT_EQ(loaded.bbPrefs.bb0, saved.bbPrefs.bb0);
    loaded.bbPrefs.beta0 = saved.bbPrefs.beta0;
    loaded.bbPrefs.bb0 = saved.bbPrefs.bb0;
    EXPECT_EQ(loaded, saved);

    // SaveSettings alone leaves section "bbPrefs", "includePurewater" and the Preferences' keys.
    MemorySettingsStore memory;
    SaveSettings(memory, saved);
    for (const auto& [key, value] : memory.Values()) EXPECT_NE(key.first, "bbPrefs");
    EXPECT_FALSE(memory.Find("Sigma", "includePurewater") || memory.Find("App", "MaxGraphPoints"));
}

TEST(Settings, RecommendedPureWaterLoadsAsCustom) {
    Fixture f;
    MemorySettingsStore store;
    store.Write(keys::Path, f.program);
    PureWaterParams prefs;
    ChoosePureWaterModel(prefs, PureWaterModel::CorvaneRecommended);
    SaveBbPrefs(store, prefs);
    const PureWaterParams loaded = f.LoadQuietly(store).bbPrefs;
    EXPECT_TRUE(loaded.CustomPure && !loaded.CorvaneRecommended && !loaded.MorelFresh);
    EXPECT_FLOAT_EQ(loaded.beta0, prefs.beta0);  // the numbers stay
}

TEST(Settings, StoredTexts) {
    const std::tuple<const char*, bool> flags[] = {
        {"TRUE", true}, {" true ", true}, {"-1", true},    {"2.5", true},
        {"0", false},   {"yes", false},   {"Truex", false}};
    for (const auto& [text, flag] : flags) EXPECT_EQ(FlagFromText(text, false), flag) << text;
    EXPECT_TRUE(FlagFromText("maybe", true));

    TempDir dir;
    const std::string ini = dir.File("t.ini");
    test::WriteFileBytes(ini, "[App]\r\nUserHeader=Bay, station 4, 2 m\r\n");  // edited by hand
    {
        QtSettingsStore store(ini);
        WriteWindowGeometry(store, 0, {200, 300, 6000.5f, 9000});
        WriteGraphDefaults(store, false, true);
    }
    QtSettingsStore store(ini);
    EXPECT_EQ(store.Read(keys::UserHeader), "Bay,station 4,2 m");
    EXPECT_EQ(store.Read("App", "Top 0"), "200");  // the key holds a blank
    EXPECT_EQ(store.Read("App", "Height 0"), "6000.5");
    EXPECT_EQ(store.Read(keys::GraphSigma) + store.Read(keys::GraphVsTime), "FalseTrue");
    const WindowGeometry defaults{1, 2, 3, 4};
    EXPECT_EQ(ReadWindowGeometry(store, 0, defaults), (WindowGeometry{200, 300, 6000.5f, 9000}));
    EXPECT_EQ(ReadWindowGeometry(store, 1, defaults), defaults);
}

TEST(Settings, GarbageInTheStoreNeverBreaksLoading) {
    Fixture f;
    std::mt19937 rng(7);
    const SettingKey all[] = {keys::Path,   keys::SavePath, keys::MaxGraphPoints,
                              keys::KavraX, keys::aStar,    keys::bTilde,
                              keys::chi,    keys::TempPath};
    for (int round = 0; round < 300; ++round) {
        MemorySettingsStore store;
        for (const SettingKey& key : all) {
            std::string text;
            for (int i = static_cast<int>(rng() % 12); i > 0; --i)
                text += static_cast<char>(rng() % 96 + 32);
            if (rng() % 3 == 0) text = std::to_string(static_cast<int>(rng()) / 1000);
            store.Write(key, text);
        }
        const AppSettings s = f.LoadQuietly(store);
        EXPECT_TRUE(s.MaxGraphPoints >= 1000 && s.MaxGraphPoints <= 100000) << s.MaxGraphPoints;
        EXPECT_EQ(s.SavePath.back(), '/');
        EXPECT_FALSE(s.TempPath.empty());
    }
}

}  // namespace
}  // namespace tidewell
