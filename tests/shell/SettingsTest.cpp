#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "shell/AppSettings.h"
#include "shell/QtSettingsStore.h"
#include "shell/SettingsKeys.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using test::ScriptedPrompter;
using test::TempDir;

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
};

TEST(SettingsKeys, EveryFixedKeyReadsItsDefaultFromAnEmptyStore) {
    struct Case {
        const SettingKey& key;
        const char* section;
        const char* name;
        const char* value;
    } cases[] = {
        {keys::Instance, "App", "Instance", ""},
        {keys::VersionHasRun, "App", "2.82", "FALSE"},
        {keys::ConnectOnStartup, "App", "ConnectOnStartup", "0"},
        {keys::Path, "App", "Path", ""},
        {keys::SavePath, "App", "SavePath", "/"},
        {keys::CalFile, "App", "CalFile", ""},
        {keys::RecallLastCal, "App", "RecallLastCal", "1"},
        {keys::NameFilesOnOpen, "App", "NameFilesOnOpen", "0"},
        {keys::UserHeader, "App", "UserHeader", ""},
        {keys::MaxGraphPoints, "App", "MaxGraphPoints", "50000"},
        {keys::KAVRA, "App", "KAVRA", "False"},
        {keys::KavraX, "App", "KavraX", "2.7"},
        {keys::KavraCThreshold, "App", "KavraCThreshold", ".02"},
        {keys::KavraInherentC, "App", "KavraInherentC", ".2"},
        {keys::KavraVertical, "App", "KavraVertical", "False"},
        {keys::ChannelViewOpen, "App", "ChannelViewOpen", ""},
        {keys::SaveRawType, "App", "SaveRawType", "1"},
        {keys::SaveLiveType, "App", "SaveLiveType", "1"},
        {keys::TempPath, "App", "TempPath", ""},
        {keys::DownloadDAT, "App", "DownloadDAT", "1"},
        {keys::GraphicsExportType, "App", "GraphicsExportType", "0"},
        {keys::InstErrLeft, "App", "InstErrLeft", "0"},
        {keys::InstErrWidth, "App", "InstErrWidth", "6600"},
        {keys::InstErrHeight, "App", "InstErrHeight", "2256"},
        {keys::Port, "Connection", "Port", ""},
        {keys::Baud, "Connection", "Baud", "9600"},
        {keys::LoadCal, "Connection", "LoadCal", "1"},
        {keys::GraphSigma, "GraphDefaults", "Sigma", "True"},
        {keys::GraphVsTime, "GraphDefaults", "VsTime", "FALSE"},
        {keys::ad400, "Sigma", "ad400", "0.01"},
        {keys::bTilde, "Sigma", "bTilde", "0.015"},
        {keys::includePurewater, "Sigma", "includePurewater", "FALSE"},
        {keys::C, "Sigma", "C", "0.1"},
        {keys::gammad, "Sigma", "gammad", "0.011"},
        {keys::gammay, "Sigma", "gammay", "0.014"},
        {keys::p, "Sigma", "p", "0.6"},
        {keys::cUseVN, "Sigma", "cUseVN", "FALSE"},
        {keys::chi, "bbPrefs", "chi", "1.08"},
        {keys::gammaLambda, "bbPrefs", "gammaLambda", "4.32"},
        {keys::lambda0, "bbPrefs", "lambda0", "525"},
        {keys::CustomPure, "bbPrefs", "CustomPure", "FALSE"},
        {keys::MorelSalt, "bbPrefs", "MorelSalt", "FALSE"},
        {keys::MorelFresh, "bbPrefs", "MorelFresh", "TRUE"},
        {keys::CorvaneRecommended, "bbPrefs", "CorvaneRecommended", "FALSE"},
        {keys::NoPure, "bbPrefs", "NoPure", "FALSE"},
        {keys::useCalFileChi, "bbPrefs", "useCalFileChi", "FALSE"},
        {keys::MuMaxTailSlope, "Cal", "MuMaxTailSlope", "0.001"},
        {keys::MuFirstValidRange, "Cal", "MuFirstValidRange", "2.5"},
        {keys::MuMinTotalRange, "Cal", "MuMinTotalRange", "15"},
        {keys::GainMaxUncertainty, "Cal", "GainMaxUncertainty", "0.002"},
        {keys::GainMinHighSignal, "Cal", "GainMinHighSignal", "10000"},
        {keys::GainMinHighSignal2, "Cal", "GainMinHighSignal2", "6000"},
        {keys::GainOptSignal, "Cal", "GainOptSignal", "25000"},
        {keys::GainSaturationThreshold, "Cal", "GainSaturationThreshold", "30000"},
        {keys::OffsetMaxUncertainty, "Cal", "OffsetMaxUncertainty", "2.5"},
    };
    TempDir dir;
    QtSettingsStore store(dir.File("empty.ini"));
    for (const auto& c : cases) {
        EXPECT_STREQ(c.key.section, c.section) << c.name;
        EXPECT_STREQ(c.key.key, c.name);
        EXPECT_EQ(store.Read(c.key), c.value) << c.name;
        EXPECT_FALSE(store.Find(c.section, c.name).has_value()) << c.name;
    }
    EXPECT_TRUE(ReadFlag(store, keys::IncludeBetaInDatFiles));
    EXPECT_EQ(ReadNumber(store, keys::ChannelViewOpen), 0);
    EXPECT_EQ(GeometryKey("Top", 0), "Top 0");
}

TEST(Settings, EmptyStoreLoadsTheDefaultsAndMarksTheFirstRun) {
    Fixture f;
    QtSettingsStore store(f.dir.File("Tidewell.ini"));
    ScriptedPrompter prompter;
    LoadedSettings loaded = f.Load(store, prompter);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0],
              "The current user profile does not yet have Tidewell preferences.  This is OK, but "
              "note that each user's Tidewell settings are independent.  This user's settings "
              "will be set to their defaults.");
    EXPECT_TRUE(loaded.firstRun);
    EXPECT_FALSE(loaded.sigmaFilesMissing);
    const AppSettings& s = loaded.settings;
    EXPECT_EQ(store.Read(keys::Path), f.program + "/");
    EXPECT_EQ(s.Path, f.program + "/");
    EXPECT_EQ(s.SavePath, "/");
    EXPECT_EQ(s.OpenPath, "/");
    EXPECT_EQ(s.OpenCalPath, "/");
    EXPECT_EQ(s.CalFile, "");
    EXPECT_FALSE(s.Kavra);
    EXPECT_EQ(s.KavraX, 2.7f);
    EXPECT_EQ(s.KavraCThreshold, 0.02f);
    EXPECT_EQ(s.KavraInherentC, 0.2f);
    EXPECT_FALSE(s.KavraVertical);
    EXPECT_EQ(s.MaxGraphPoints, 50000);
    SigmaParams sigma;
    sigma.aStarFile = f.program + "/aStar.csv";
    EXPECT_EQ(s.Sigma, sigma);
    EXPECT_EQ(s.Sigma.aStar, Failed);
    EXPECT_EQ(s.bbPrefs, PureWaterParams{});
    // The temporary folder gets a folder of our own, and is remembered.
    EXPECT_EQ(s.TempPath, f.temp + "/Tidewell/");
    EXPECT_TRUE(std::filesystem::is_directory(f.temp + "/Tidewell"));
    EXPECT_EQ(store.Read(keys::TempPath), f.temp + "/Tidewell/");

    ScriptedPrompter again;
    LoadedSettings second = f.Load(store, again);
    EXPECT_FALSE(second.firstRun);
    EXPECT_TRUE(again.shown.empty());
    EXPECT_EQ(second.settings, s);
}

TEST(Settings, FoldersFollowEachOtherAndGetTheirSeparator) {
    struct Case {
        std::optional<std::string> save, open, openCal;
        const char* savePath;
        const char* openPath;
        const char* openCalPath;
    } cases[] = {
        {"/data", std::nullopt, std::nullopt, "/data/", "/data/", "/data/"},
        {"/data/", "/in", std::nullopt, "/data/", "/in/", "/in/"},
        {std::nullopt, std::nullopt, "/cal", "/", "/", "/cal/"},
        {"", "", "", "/", "/", "/"},
    };
    for (const auto& c : cases) {
        Fixture f;
        MemorySettingsStore store;
        store.Write(keys::Path, f.program);
        if (c.save) store.Write(keys::SavePath, *c.save);
        if (c.open) store.Write(keys::OpenPath, *c.open);
        if (c.openCal) store.Write(keys::OpenCalPath, *c.openCal);
        ScriptedPrompter prompter;
        const AppSettings s = f.Load(store, prompter).settings;
        EXPECT_EQ(s.SavePath, c.savePath);
        EXPECT_EQ(s.OpenPath, c.openPath);
        EXPECT_EQ(s.OpenCalPath, c.openCalPath);
    }
    // A program folder that is gone reads as "".
    Fixture f;
    MemorySettingsStore store;
    store.Write(keys::Path, f.dir.File("gone/"));
    ScriptedPrompter prompter;
    EXPECT_EQ(f.Load(store, prompter).settings.Path, "");
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(Settings, MaxGraphPointsIsRoundedAndClamped) {
    struct Case {
        const char* stored;
        int32_t points;
    } cases[] = {
        {"500", 1000},      {"999.5", 1000},  {"1000", 1000},     {"1000.5", 1000},
        {"1001.5", 1002},   {"50000", 50000}, {"100000", 100000}, {"100001", 100000},
        {"1e9", 100000},    {"-5", 1000},     {"abc", 50000},     {"", 50000},
        {" 20000 ", 20000},
    };
    for (const auto& c : cases) {
        Fixture f;
        MemorySettingsStore store;
        store.Write(keys::Path, f.program);
        store.Write(keys::MaxGraphPoints, c.stored);
        ScriptedPrompter prompter;
        EXPECT_EQ(f.Load(store, prompter).settings.MaxGraphPoints, c.points) << c.stored;
    }
    EXPECT_EQ(ClampGraphPoints(2147483648.0 * 4), 100000);
}

TEST(Settings, SigmaTablesAreNumbersOrFiles) {
    const std::string missingMessage =
        "Files needed for sigma correction were not found.  Please check the parameter "
        "settings.";
    struct Case {
        bool shipAStar;
        const char* aStar;  // nullptr: absent
        const char* bTilde;
        double aStarValue;
        const char* aStarFile;  // "@" stands for the program folder
        double bTildeValue;
        bool missing;
    } cases[] = {
        {true, nullptr, nullptr, Failed, "@/aStar.csv", 0.015, false},
        {true, "0.5", "0.02", 0.5, "", 0.02, false},
        {true, "@/mine.csv", "@/mine.csv", Failed, "@/mine.csv", Failed, false},
        // a stored table that is gone falls back on the shipped one
        {true, "@/gone.csv", nullptr, Failed, "@/aStar.csv", 0.015, false},
        {false, "@/gone.csv", nullptr, Failed, "@/gone.csv", 0.015, true},
        {false, nullptr, nullptr, Failed, "@/aStar.csv", 0.015, true},
        {true, "0.5", "@/gone.csv", 0.5, "", 0.015, true},
    };
    for (const auto& c : cases) {
        Fixture f(c.shipAStar);
        test::WriteFileBytes(f.program + "/mine.csv", "400,1\n500,2\n");
        auto expand = [&](const char* text) {
            std::string s = text;
            if (s.starts_with("@")) s = f.program + s.substr(1);
            return s;
        };
        MemorySettingsStore store;
        store.Write(keys::Path, f.program);
        if (c.aStar) store.Write(keys::aStar, expand(c.aStar));
        if (c.bTilde) store.Write(keys::bTilde, expand(c.bTilde));
        ScriptedPrompter prompter;
        const LoadedSettings loaded = f.Load(store, prompter);
        const std::string label = c.aStar ? c.aStar : "(absent)";
        EXPECT_EQ(loaded.settings.Sigma.aStar, c.aStarValue) << label;
        EXPECT_EQ(loaded.settings.Sigma.aStarFile, expand(c.aStarFile)) << label;
        EXPECT_EQ(loaded.settings.Sigma.bTilde, c.bTildeValue) << label;
        EXPECT_EQ(loaded.sigmaFilesMissing, c.missing) << label;
        EXPECT_EQ(prompter.shown,
                  c.missing ? std::vector<std::string>{missingMessage} : std::vector<std::string>{})
            << label;
    }
}

AppSettings ChangedSettings(const Fixture& f) {
    AppSettings s;
    s.Path = f.program + "/";
    s.SavePath = f.dir.File("save/");
    s.OpenPath = f.dir.File("open/");
    s.OpenCalPath = "/";
    s.CalFile = f.dir.File("V6 123, spare.cal");  // a comma must survive the INI file
    s.Kavra = true;
    s.KavraX = 3.25f;
    s.KavraCThreshold = 0.015f;
    s.KavraInherentC = 0.3f;
    s.KavraVertical = true;
    s.MaxGraphPoints = 50000;  // written by the Preferences dialog, not here
    s.Sigma = DefaultSigmaParams(f.program);
    s.Sigma.aStar = 0.04;
    s.Sigma.aStarFile.clear();
    s.Sigma.bTilde = Failed;
    s.Sigma.bTildeFile = f.program + "/aStar.csv";
    s.Sigma.C = 2.5;
    s.Sigma.ad400 = 0.02;
    s.Sigma.gammad = 0.012;
    s.Sigma.gammay = 0.0155;
    s.Sigma.p = 0.7;
    s.Sigma.cUseVN = true;
    s.Sigma.includePurewater = true;
    ChoosePureWaterModel(s.bbPrefs, PureWaterModel::MorelSalt);
    s.bbPrefs.chi = 1.1f;
    s.bbPrefs.useCalFileChi = true;
    s.bbPrefs.IncludeBetaInDatFiles = false;
    s.TempPath = f.temp + "/Tidewell/";
    return s;
}

TEST(Settings, SavedSettingsLoadBackTheSame) {
    Fixture f;
    const std::string ini = f.dir.File("Tidewell.ini");
    const AppSettings saved = ChangedSettings(f);
    {
        QtSettingsStore store(ini);
        store.Write(keys::Path, saved.Path);
        SaveSettings(store, saved);
        SaveSigmaParams(store, saved.Sigma);
        SaveBbPrefs(store, saved.bbPrefs);
    }
    QtSettingsStore store(ini);
    EXPECT_EQ(store.Read(keys::Version), "2.82");
    EXPECT_EQ(store.Read(keys::SavePath), f.dir.File("save"));
    EXPECT_EQ(store.Read(keys::OpenCalPath), "/");  // the root keeps its separator
    EXPECT_EQ(store.Read(keys::KAVRA), "True");
    EXPECT_EQ(store.Read(keys::aStar), "0.04");
    EXPECT_EQ(store.Read(keys::bTilde), f.program + "/aStar.csv");
    EXPECT_EQ(store.Read(keys::chi), "1.1");
    EXPECT_EQ(store.Read(keys::MorelSalt), "True");
    EXPECT_EQ(store.Read(keys::IncludeBetaInDatFiles), "False");
    ScriptedPrompter prompter;
    const LoadedSettings loaded = f.Load(store, prompter);
    EXPECT_TRUE(prompter.shown.empty());
    const AppSettings& s = loaded.settings;
    EXPECT_EQ(s.Path, saved.Path);
    EXPECT_EQ(s.SavePath, saved.SavePath);
    EXPECT_EQ(s.OpenPath, saved.OpenPath);
    EXPECT_EQ(s.OpenCalPath, saved.OpenCalPath);
    EXPECT_EQ(s.CalFile, saved.CalFile);
    EXPECT_EQ(s.TempPath, saved.TempPath);
    EXPECT_EQ(s.Sigma, saved.Sigma);
    // Singles are kept with 7 significant digits, as the program has always written them.
    EXPECT_FLOAT_EQ(s.bbPrefs.beta0, saved.bbPrefs.beta0);
    EXPECT_FLOAT_EQ(s.bbPrefs.bb0, saved.bbPrefs.bb0);
    AppSettings same = s;
    same.bbPrefs.beta0 = saved.bbPrefs.beta0;
    same.bbPrefs.bb0 = saved.bbPrefs.bb0;
    EXPECT_EQ(same, saved);

    // The file is an INI file with one section per settings section.
    const std::string text = test::ReadFileBytes(ini);
    for (const char* section : {"[App]", "[Sigma]", "[bbPrefs]"})
        EXPECT_NE(text.find(section), std::string::npos) << section;
}

TEST(Settings, SaveSettingsLeavesTheBackscatteringPreferencesAlone) {
    Fixture f;
    MemorySettingsStore store;
    SaveSettings(store, ChangedSettings(f));
    for (const auto& [key, value] : store.Values()) EXPECT_NE(key.first, "bbPrefs") << key.second;
    EXPECT_FALSE(store.Find("Sigma", "includePurewater").has_value());
    EXPECT_FALSE(store.Find("App", "MaxGraphPoints").has_value());
}

TEST(Settings, RecommendedPureWaterLoadsAsCustom) {
    Fixture f;
    MemorySettingsStore store;
    store.Write(keys::Path, f.program);
    PureWaterParams prefs;
    ChoosePureWaterModel(prefs, PureWaterModel::CorvaneRecommended);
    SaveBbPrefs(store, prefs);
    ScriptedPrompter prompter;
    const PureWaterParams loaded = f.Load(store, prompter).settings.bbPrefs;
    EXPECT_FALSE(loaded.CorvaneRecommended);
    EXPECT_TRUE(loaded.CustomPure);
    EXPECT_FALSE(loaded.MorelFresh);
    EXPECT_FLOAT_EQ(loaded.beta0, prefs.beta0);  // the numbers stay
}

TEST(Settings, FlagsReadTrueFalseOrNumbers) {
    struct Case {
        const char* text;
        bool value;  // with a default of false
    } cases[] = {
        {"True", true}, {"TRUE", true}, {" true ", true}, {"1", true},
        {"-1", true},   {"2.5", true},  {"False", false}, {"FALSE", false},
        {"0", false},   {"yes", false}, {"", false},      {"Truex", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FlagFromText(c.text, false), c.value) << c.text;
        MemorySettingsStore store;
        store.Write(keys::KavraVertical, c.text);
        EXPECT_EQ(ReadFlag(store, keys::KavraVertical), c.value) << c.text;
    }
    EXPECT_TRUE(FlagFromText("maybe", true));
}

TEST(Settings, WindowGeometryKeysHoldABlank) {
    TempDir dir;
    const std::string ini = dir.File("t.ini");
    {
        QtSettingsStore store(ini);
        WriteWindowGeometry(store, 0, {200, 300, 6000.5f, 9000});
        WriteGraphDefaults(store, false, true);
    }
    QtSettingsStore store(ini);
    EXPECT_EQ(store.Read("App", "Top 0"), "200");
    EXPECT_EQ(store.Read("App", "Height 0"), "6000.5");
    EXPECT_EQ(store.Read(keys::GraphSigma), "False");
    EXPECT_EQ(store.Read(keys::GraphVsTime), "True");
    const WindowGeometry defaults{1, 2, 3, 4};
    EXPECT_EQ(ReadWindowGeometry(store, 0, defaults), (WindowGeometry{200, 300, 6000.5f, 9000}));
    EXPECT_EQ(ReadWindowGeometry(store, 1, defaults), defaults);
}

TEST(Settings, HandEditedValuesWithCommasReadWhole) {
    TempDir dir;
    test::WriteFileBytes(dir.File("t.ini"), "[App]\r\nUserHeader=Bay, station 4, 2 m\r\n");
    QtSettingsStore store(dir.File("t.ini"));
    EXPECT_EQ(store.Read(keys::UserHeader), "Bay,station 4,2 m");
}

TEST(Settings, UserStoreLivesUnderTheConfigurationFolder) {
    TempDir dir;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    {
        QtSettingsStore store;
        EXPECT_EQ(store.FileName(), dir.path() + "/Tidewell/Tidewell.ini");
        store.Write(keys::CalFile, "x.cal");
        store.Sync();
    }
    EXPECT_NE(test::ReadFileBytes(dir.File("Tidewell/Tidewell.ini")).find("CalFile=x.cal"),
              std::string::npos);
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(Settings, GarbageInTheStoreNeverBreaksLoading) {
    Fixture f;
    std::mt19937 rng(7);
    const SettingKey all[] = {keys::Path,   keys::SavePath, keys::MaxGraphPoints, keys::KAVRA,
                              keys::KavraX, keys::aStar,    keys::bTilde,         keys::C,
                              keys::chi,    keys::beta0,    keys::MorelFresh,     keys::TempPath};
    for (int round = 0; round < 300; ++round) {
        MemorySettingsStore store;
        for (const SettingKey& key : all) {
            std::string text;
            const int length = static_cast<int>(rng() % 12);
            for (int i = 0; i < length; ++i) text += static_cast<char>(rng() % 96 + 32);
            if (rng() % 3 == 0) text = std::to_string(static_cast<int>(rng()) / 1000);
            store.Write(key, text);
        }
        ScriptedPrompter prompter;
        const AppSettings s = f.Load(store, prompter).settings;
        EXPECT_GE(s.MaxGraphPoints, 1000);
        EXPECT_LE(s.MaxGraphPoints, 100000);
        EXPECT_EQ(s.SavePath.back(), '/');
        EXPECT_FALSE(s.TempPath.empty());
    }
}

}  // namespace
}  // namespace tidewell
