#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <tuple>

#include "calibration/CalFile.h"
#include "calibration/CalibrationData.h"
#include "stream/DateValue.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using test::DataPath;
using test::NumericSigmaParams;
using test::ReadFileBytes;
using test::ScriptedPrompter;
using test::TempDir;
using test::WriteFileBytes;

struct Loaded {
    CalibrationDataClass cal;
    ScriptedPrompter prompter;
    bool ok = false;
};

std::unique_ptr<Loaded> Load(const std::string& path) {
    auto l = std::make_unique<Loaded>();
    l->ok = l->cal.SetSourceFile(path, NumericSigmaParams(), SigmaTables{}, l->prompter);
    return l;
}

// The calibration read from the lines of `text` (LF line ends are fine).
std::unique_ptr<Loaded> LoadText(const std::string& text) {
    auto l = std::make_unique<Loaded>();
    l->ok = l->cal.ReadCalText(text, NumericSigmaParams(), SigmaTables{}, l->prompter) !=
            CalibrationDataClass::FileRead::kNotRead;
    return l;
}

const char* const kGoldenModels[] = {"vantor6", "vantor4", "vantor2", "alumo",
                                     "clumo",   "xlumo",   "trevan2"};

TEST(CalFileGolden, ReadThenSaveGivesTheWrittenLayoutByteForByte) {
    for (const char* model : kGoldenModels) {
        SCOPED_TRACE(model);
        auto l = Load(DataPath(std::string("cal/") + model + ".cal"));
        ASSERT_TRUE(l->ok);
        EXPECT_TRUE(l->prompter.shown.empty());
        EXPECT_EQ(l->cal.Changed, 0);
        TempDir dir;
        ASSERT_TRUE(l->cal.SaveCopyToFile(dir.File("out.cal")));
        const std::string saved =
            ReadFileBytes(DataPath(std::string("cal/") + model + ".saved.cal"));
        EXPECT_EQ(ReadFileBytes(dir.File("out.cal")), saved);
        // a saved file holds its numbers rounded: it reads back to what it says, saves unchanged
        EXPECT_EQ(LoadText(saved)->cal.CalFileText(), saved);
    }
}

// Only what the saved files do not show: what they write is pinned by the golden files above.
TEST(CalFileGolden, WhatTheFilesSetBesideTheWrittenKeys) {
    auto v6 = Load(DataPath("cal/vantor6.cal"));
    const CalibrationDataClass& c = v6->cal;
    EXPECT_EQ(c.ModificationTime, 0);  // read and ignored
    // default channel map: channel 2 shares its receiver with 8, channel 4 with 7
    EXPECT_EQ(c.ChEx(1), 1);
    EXPECT_EQ(c.ChRep(1), 8);
    EXPECT_EQ(c.ChEx(7), 2);
    EXPECT_EQ(c.MuGain(3), 2);  // gain 2 is the one at 1.0
    EXPECT_EQ(c.ROutOff(4), 12);
    EXPECT_EQ(c.bDeltaLambda(0), 0);

    // the single-channel files name their channels from the wavelengths
    auto al = Load(DataPath("cal/alumo.cal"));
    EXPECT_EQ(al->cal.name(0), "bb(700)");
    EXPECT_EQ(al->cal.name(1), "a(532)");
    EXPECT_EQ(al->cal.name(2), "k(532)");
    auto cl = Load(DataPath("cal/clumo.cal"));
    EXPECT_EQ(cl->cal.name(1), "c(660)");

    // Trevan-2 keeps its polynomials raw and reads them normalised
    auto tr = Load(DataPath("cal/trevan2.cal"));
    EXPECT_EQ(tr->cal.Attenuation(0).KkT[0], 3);
    EXPECT_EQ(tr->cal.Attenuation(0).KkTNormaliser, 5);
    EXPECT_DOUBLE_EQ(tr->cal.KkT(0, 0), 0.6);
    EXPECT_EQ(tr->cal.KkTauP(1, 0), 0);  // normaliser 0: the raw value
}

TEST(CalFileLines, SplitCalLine) {
    const std::tuple<const char*, CalLineKind, const char*, const char*, const char*> cases[] = {
        {"[Channel 3]", CalLineKind::Section, "Channel 3", "", ""},
        {"Gain3=12.5 // measured", CalLineKind::Key, "S", "Gain3", "12.5"},
        {"Label=  a b  ", CalLineKind::Key, "S", "Label", "a b"},
        {"Label=x,y", CalLineKind::Key, "S", "Label", "x"},
        {"Label=http://host", CalLineKind::Key, "S", "Label", "http:"},
        {"Key=//note", CalLineKind::Key, "S", "Key", ""},
        {"=5", CalLineKind::Key, "S", "", "5"},
        {"a=b=c", CalLineKind::Key, "S", "a", "b=c"},
        {"no equals here", CalLineKind::Other, "S", "", ""},
        {"[unclosed=1", CalLineKind::Key, "S", "[unclosed", "1"},
        {"Name=bb[470]", CalLineKind::Section, "470", "", ""},  // brackets win over "="
        {"][", CalLineKind::Other, "S", "", ""},
    };
    for (const auto& [line, kind, wantSection, wantKey, wantValue] : cases) {
        std::string section = "S", key, value;
        EXPECT_EQ(SplitCalLine(line, section, key, value), kind) << line;
        EXPECT_EQ(section, wantSection) << line;
        EXPECT_EQ(key, wantKey) << line;
        EXPECT_EQ(value, wantValue) << line;
    }
}

TEST(CalFileLines, KeysGoToTheSectionsChannel) {
    const std::tuple<const char*, int, double> cases[] = {
        {"[Channel 2]\nGain3 = 12.5\n", 1, 100},  // a blank before "=" is part of the key
        {"[Channel 12]\nGain3=7\n", 1, 7},        // only the last character counts
        {"[Channel8]\nGain3=7\n", 7, 7},
        {"[Channel]\nGain3=7\n", 0, 7},      // names none: channel 0
        {"[Channel 3]\ngain3=7\n", 2, 100},  // keys are case-sensitive
    };
    for (const auto& [text, chan, gain3] : cases) {
        auto l = LoadText(std::string("[General]\nDeviceType=Vantor-4\n") + text);
        EXPECT_EQ(l->cal.gain(chan, 3), gain3) << text;
    }
}

TEST(CalFileLines, CommentSectionJoinsItsLines) {
    auto l = LoadText("[Comment]\r\nabc\r\ndef\r\n[General]\r\nSerial=VN1\r\n");
    EXPECT_EQ(l->cal.Comment, "abcdef");
    EXPECT_EQ(l->cal.Serial, "VN1");
    // keys in the comment are comment text; a bracket line ends it
    auto k = LoadText("[Comment]\nGain1=5\nsee [1]\n[End]\nSerial=VN1\n");
    EXPECT_EQ(k->cal.Comment, "Gain1=5see [1]");
    EXPECT_EQ(k->cal.gain(0, 1), 1);
}

TEST(CalFileLines, SerialTellsTheModelLastMatchWins) {
    const std::tuple<const char*, int> cases[] = {
        {"V4-0001", 1}, {"V2-1", 2}, {"AL-9", 3},  {"CL-9", 4},
        {"C2-9", 6},    {"XX-1", 0}, {"C2-VN", 6}, {"al-9", 0},
    };
    for (const auto& [serial, type] : cases) {
        auto l = LoadText(std::string("Serial=") + serial + "\n");
        EXPECT_EQ(l->cal.DeviceType, type) << serial;
    }
    auto l = LoadText("Serial=CL-1\nDeviceType=Vantor-2\n");  // a later DeviceType decides
    EXPECT_EQ(l->cal.DeviceType, 2);
}

TEST(CalFileLines, AttenuationSectionsAndCalTemp) {
    auto l = LoadText(
        "DeviceType=Trevan-2\n[Attenuation 2]\nLambda=650\nDeltaLambda=9\nCalTemp=5\n"
        "[Attenuation 20]\nLambda=333\n"  // a channel beyond the records sets nothing
        "[Attenuation]\nCalTemp=17\nTempCoeff1=2\n[Scattering]\nCalTemp=21\nLambda=700\n"
        "[Depth]\nCalTemp=99\n[Attenuation 0]\nS0=4\n");
    const CalibrationDataClass& c = l->cal;
    EXPECT_EQ(c.KLambda(1), 650);
    EXPECT_EQ(c.lambda(2), 650);  // an attenuation wavelength also goes to channels 1 and 2
    EXPECT_EQ(c.KDeltaLambda(1), 9);
    EXPECT_EQ(c.bDeltaLambda(1), 0);
    EXPECT_EQ(c.KCalTemp(1), 0);  // only the section named exactly Attenuation
    EXPECT_EQ(c.KCalTemp(0), 17);
    EXPECT_EQ(c.KTempCoeff(0, 1), 2);
    EXPECT_EQ(c.KTempNormCoeff(0), 34);
    EXPECT_EQ(c.CalTemp, 21);  // [Depth] is ignored
    EXPECT_EQ(c.lambda(0), 700);
    EXPECT_EQ(c.KS0(0), 4);  // a number below 1 gives channel 0
}

TEST(CalFileLines, NumbersAndIntegers) {
    auto l = LoadText(
        "DeviceType=Vantor-6\n[Channel 1]\nOffset1=2.5\nOffset2=3.5\nOffset3=abc\nMu=1e-999\n"
        "NomOffset4=99999\nRNominal=x\nFlOffset5=-7.5\n[Attenuation 1]\nTrAir=1e12\n");
    const CalibrationDataClass& c = l->cal;
    EXPECT_EQ(c.DarkOffset(0, 1), 2);
    EXPECT_EQ(c.DarkOffset(0, 2), 4);
    EXPECT_EQ(c.DarkOffset(0, 3), 0);  // not a number reads 0
    EXPECT_EQ(c.Mu(0), 0);
    EXPECT_EQ(c.NomOffset(0, 4), 32767);
    EXPECT_EQ(c.RNominal(0), 0);
    EXPECT_EQ(c.FlOffset(0, 5), -8);
    EXPECT_EQ(c.TrAir(0), 2147483647);
}

TEST(CalFileTimes, ParseCalTime) {
    const double d2010 = DateValue(2010, 1, 1);
    const std::tuple<const char*, int, double> cases[] = {
        {"5 (01/1/10 00:00:00)", 0, d2010},  // the date decides, whatever the count says
        {"1262304000", 0, d2010},
        {"946771200", 3, d2010},  // single-channel clocks count from 1980
        {"0", 2, kEpoch1970},
        {"12/31/99 23:59:59", 0, DateValue(1999, 12, 31) + 86399 / 86400.0},
        {"1/5/69 1:02:03", 0, DateValue(2069, 1, 5) + 3723 / 86400.0},
        {"07/04/70 12:00", 0, DateValue(1970, 7, 4) + 0.5},  // no seconds
        {"2/3/150", 0, DateValue(2050, 2, 3)},               // 150 + 1900 is not below 199
        {"2/29/01", 0, DateValue(2001, 3, 1)},               // days roll over
        {"x (01//10)", 0, kEpoch1970 + 1 / 86400.0},         // no day between the slashes: a count
        {"/1/10", 0, kEpoch1970 + 1 / 86400.0},              // nothing before the first slash
        {"abc", 4, kEpoch1980},
        {"1e300", 0, 0},  // beyond the years the program shows
        {"99/99/99999999 99:99:99", 0, 0},
    };
    for (const auto& [text, type, value] : cases)
        EXPECT_DOUBLE_EQ(ParseCalTime(text, type), value) << text;
}

TEST(CalFileWrite, SaveAsMakesTheFileTheSourceAndSaveCopyOnlyTheSavedCopy) {
    TempDir dir;
    auto l = Load(DataPath("cal/vantor4.cal"));
    ASSERT_TRUE(l->cal.SaveCopyToFile(dir.File("copy.cal")));
    EXPECT_EQ(l->cal.SourceFile(), DataPath("cal/vantor4.cal"));
    EXPECT_EQ(l->cal.SavedFile(), dir.File("copy.cal"));
    std::filesystem::remove(dir.File("copy.cal"));
    EXPECT_EQ(l->cal.SavedFile(), DataPath("cal/vantor4.cal"));
    ASSERT_TRUE(l->cal.SaveAsFile(dir.File("as.cal")));
    EXPECT_EQ(l->cal.SourceFile(), dir.File("as.cal"));
    EXPECT_FALSE(l->cal.SaveCopyToFile(dir.File("missing/x.cal")));
    EXPECT_FALSE(l->cal.SaveAsFile(dir.path()));  // a folder
    EXPECT_EQ(l->cal.SourceFile(), dir.File("as.cal"));
}

TEST(CalFileFailures, MissingAndUnreadableFiles) {
    TempDir dir;
    ScriptedPrompter prompter;
    CalibrationDataClass c;
    c.Serial = "kept";
    EXPECT_FALSE(c.SetSourceFile(dir.File("none.cal"), NumericSigmaParams(), {}, prompter));
    EXPECT_EQ(c.Serial, "kept");  // nothing changed
    EXPECT_TRUE(prompter.shown.empty());

    EXPECT_FALSE(c.SetSourceFile(dir.path(), NumericSigmaParams(), {}, prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0], "Error opening file: Is a directory.\r" + dir.path());
    EXPECT_EQ(c.Serial, "");  // cleared, and read as a Vantor-6
    EXPECT_EQ(c.DeviceType, 0);
    EXPECT_EQ(c.SourceFile(), "");
}

// Any text reads as a calibration; loading one to work with also asks for calibration values.
TEST(CalFileFailures, LoadingForUseRefusesFilesThatHoldNoCalibration) {
    const std::string none = "not a calibration file (no calibration values in it)";
    const std::tuple<std::string, std::string> cases[] = {
        {"[Header]\r\nDeviceType=Vantor-6\r\nSerial=VN-0007\r\nCalTime=0\r\n[Data]\r\n", none},
        {"Notes [see below]\r\nmu = 5\r\n", none},
        {"DeviceType=Vantor-9\n[Channel 1]\nMu=3\n", "unknown instrument type"},
        {ReadFileBytes(DataPath("cal/vantor2.cal")), ""},
    };
    for (const auto& [text, problem] : cases) {
        TempDir dir;
        WriteFileBytes(dir.File("t.cal"), text);
        CalibrationDataClass cal;
        ScriptedPrompter prompter;
        EXPECT_EQ(LoadUsableCalibration(dir.File("t.cal"), NumericSigmaParams(), {}, prompter, cal),
                  problem)
            << text.substr(0, 40);
    }
}

TEST(CalFileFailures, MalformedFilesLoadAsFarAsTheyGo) {
    std::string huge = "Label=" + std::string(3 << 20, 'x') + "\nSerial=VN-9\n";
    std::string binary = "Serial=AL-1\n";
    for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
    binary += "\nMu=5\n";
    const std::tuple<std::string, int, std::string, double> cases[] = {
        {huge, 0, "VN-9", 0},
        {binary, 3, "AL-1", 5},
        {"Serial VN-1\nMu 5\n", 0, "", 0},  // no "=": ignored
        {"[Channel 1\nMu=5\n", 0, "", 5},   // an unclosed section is no section
        {std::string("Serial=V2\0-1\nMu=1\n", 18), 2, "V2", 1},
    };
    for (const auto& [text, type, serial, mu0] : cases) {
        auto l = LoadText(text);
        EXPECT_TRUE(l->ok);
        EXPECT_EQ(l->cal.DeviceType, type) << text.substr(0, 40);
        EXPECT_EQ(l->cal.Serial, serial) << text.substr(0, 40);
        EXPECT_EQ(l->cal.Mu(0), mu0) << text.substr(0, 40);
    }
    auto l = LoadText(huge);
    EXPECT_EQ(l->cal.Label.size(), (1u << 20) - 6);  // a line keeps its first mebibyte
}

TEST(CalFileFailures, FuzzedGoldenFilesNeverBreakTheReaderOrWriter) {
    std::mt19937 rng(20240611);
    const std::string bad = "=[]/,\t\r\n\0\xff 9.-E";
    for (const char* model : kGoldenModels) {
        const std::string golden = ReadFileBytes(DataPath(std::string("cal/") + model + ".cal"));
        for (int round = 0; round < 60; ++round) {
            std::string text = golden;
            const int edits = 1 + static_cast<int>(rng() % 12);
            for (int e = 0; e < edits && !text.empty(); ++e) {
                const size_t at = rng() % text.size();
                const auto op = rng() % 3;
                if (op == 0)
                    text[at] = bad[rng() % bad.size()];
                else if (op == 1)
                    text.erase(at, rng() % 40);  // at the end: truncated
                else
                    text.insert(at, std::string(1 + rng() % 5, static_cast<char>(rng())));
            }
            auto l = LoadText(text);
            // Saving and reading settle within two rounds: an unknown type saves as a bare
            // "[End]" that reads as a Vantor-6, and an unknown CalTime saves as 12/30/99, which
            // reads as 1999.
            std::string saved[4];
            for (int k = 0; k < 4; ++k) {
                saved[k] = l->cal.CalFileText();
                l = LoadText(saved[k]);
            }
            EXPECT_EQ(saved[3], saved[2]) << text;
        }
    }
}

TEST(CalFilePeek, TypeAndSerialWithoutLoading) {
    TempDir dir;
    const std::tuple<std::string, int, const char*> cases[] = {
        {"DeviceType=c-Lumo\nSerial=AL-1\nDeviceType=x-Lumo\n", 3, "AL-1"},  // stops at Serial
        {"DeviceType=c-Lumo\nSerial=XX-1\n", 4, "XX-1"},
        {"Serial=C2-5\n", 6, "C2-5"},
        {"Serial=x VN\n", 0, "x VN"},  // only the first two characters count
        {"DeviceType=Vantor-9\n", 7, ""},
        {"", 0, ""},
    };
    for (const auto& [text, type, wantSerial] : cases) {
        WriteFileBytes(dir.File("p.cal"), text);
        std::string serial = "old";
        ScriptedPrompter prompter;
        EXPECT_EQ(PeekCalFile(dir.File("p.cal"), serial, prompter), type) << text;
        EXPECT_EQ(serial, wantSerial) << text;
    }
    std::string serial = "old";
    ScriptedPrompter prompter;
    EXPECT_EQ(PeekCalFile(dir.File("none.cal"), serial, prompter), 7);
    EXPECT_EQ(serial, "");
    EXPECT_EQ(PeekCalFile(dir.path(), serial, prompter), 7);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0], "Error opening cal file: Is a directory.");
    EXPECT_EQ(PeekCalFile(DataPath("cal/trevan2.cal"), serial, prompter), 6);
    EXPECT_EQ(serial, "C2-0033");
}

TEST(CalFilePeek, BinaryImagesOfTheSingleChannelModels) {
    TempDir dir;
    const std::tuple<unsigned, unsigned, unsigned, int, const char*> cases[] = {
        {0xA1, 0x2F, 13, 3, "B012F0001"},  // month count 13: January 2000
        {0xC0, 0x07, 1, 4, "B00079901"},   // 1: January 1999
        {0xCF, 0xFF, 12, 4, "B0FFF9912"},
        {0x51, 0x00, 0, 7, "B01009812"},    // not an a-Lumo or c-Lumo image
        {0xA0, 0x00, 255, 3, "B00002003"},  // 255: March 2020
    };
    for (const auto& [b1, b2, b4, type, wantSerial] : cases) {
        std::string image(128, '\0');
        image[0] = static_cast<char>(b1);
        image[1] = static_cast<char>(b2);
        image[3] = static_cast<char>(b4);
        WriteFileBytes(dir.File("img.bin"), image);
        std::string serial;
        ScriptedPrompter prompter;
        EXPECT_EQ(PeekCalFile(dir.File("img.bin"), serial, prompter), type) << wantSerial;
        EXPECT_EQ(serial, wantSerial);
    }
    // a text file of 128 bytes is taken as an image too
    WriteFileBytes(dir.File("t.cal"), "Serial=VN-1\n" + std::string(116, ' '));
    std::string serial;
    ScriptedPrompter prompter;
    EXPECT_EQ(PeekCalFile(dir.File("t.cal"), serial, prompter), 7);
}

}  // namespace
}  // namespace tidewell
