#include "calibration/CalReplies.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "calibration/BinaryImage.h"
#include "calibration/CalFile.h"
#include "stream/DateValue.h"
#include "stream/Models.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

// A calibration text reply of `count` lines whose line `endAt` (0-based) is "[End]".
std::vector<std::string> CalTextReply(size_t count, size_t endAt) {
    std::vector<std::string> lines = {"[General]", "DeviceType=Vantor-2", "Serial=V2-0103",
                                      "[Channel 1]", "Mu=2.5E-06"};
    while (lines.size() < count) lines.push_back("Comment line");
    lines[endAt] = "[End]";
    return lines;
}

TEST(CalTextReply, CompleteAtEndWithEnoughLines) {
    struct Case {
        const char* name;
        size_t count, endAt;
        bool multi;  // complete by the whole-calibration rule
        bool text;   // complete by the "[End]" rule alone
    } cases[] = {
        {"[End] with 53 lines", 53, 52, false, true},
        {"[End] with 54 lines", 54, 53, true, true},
        {"[End] first", 54, 0, true, true},
    };
    for (const Case& c : cases) {
        CalibrationDataClass multi, text;
        const std::vector<std::string> lines = CalTextReply(c.count, c.endAt);
        EXPECT_EQ(CompleteMultiCal(lines, multi), c.multi) << c.name;
        EXPECT_EQ(CompleteCalText(lines, text), c.text) << c.name;
        // the lines are read only once the reply is complete
        EXPECT_EQ(multi.Serial, c.multi ? "V2-0103" : "") << c.name;
        EXPECT_EQ(text.Serial, c.text ? "V2-0103" : "") << c.name;
    }
    CalibrationDataClass cal;
    EXPECT_FALSE(CompleteCalText({"[General]", "Serial=X"}, cal));
    EXPECT_EQ(cal.Serial, "");
}

TEST(CalTextReply, Channel8NeedsSeventeenLinesFromItsLine) {
    std::vector<std::string> lines(21, "x=1");
    lines[5] = "[Channel8]";
    CalibrationDataClass cal;
    EXPECT_FALSE(CompleteMultiCal(lines, cal));
    lines.push_back("x=1");
    EXPECT_TRUE(CompleteMultiCal(lines, cal));  // 5 + 17 = 22
    // "[Channel 8]" with its blank, as calibration files write it, is no such line
    lines[5] = "[Channel 8]";
    EXPECT_FALSE(CompleteMultiCal(lines, cal));
}

TEST(ChannelValueLine, EachKeySetsItsField) {
    // start from distinct values so that a field set by mistake shows
    auto fresh = [] {
        CalibrationDataClass cal;
        SilentPrompter quiet;
        cal.SetMu(0, 0, 7);
        cal.SetMuRho(0, 8);
        cal.SetBeta2bb(0, 9);
        cal.SetBTempCoeff(0, 10);
        cal.SetSigma(0, 1, 11, quiet);
        return cal;
    };
    using Get = double (CalibrationDataClass::*)(int) const;
    using C = CalibrationDataClass;
    // the line, then two fields and what they hold afterwards
    const std::tuple<const char*, Get, double, Get, double> cases[] = {
        {"muRho: 1.2", &C::MuRho, 1.2, &C::Mu, 7},  // "mu" is in "muRho" but comes after it
        {"Roo: 12.0003", &C::ROutOff, 12, &C::SigmaExp, 0.0003},
        {"Roo: -7.25", &C::ROutOff, -7, &C::SigmaExp, 0.25},  // the fraction of a negative too
        {"kc: 3.12", &C::bb2c, 3, &C::MuRho, 1.2},
        {"kc: -3.5", &C::bb2c, -3, &C::MuRho, -5},
        {"mu: 2.5E-06", &C::Mu, 2.5e-6, &C::MuRho, 8},
        {"kbb: 1.1", &C::beta2bb, 1.1, &C::Mu, 7},
        {"kSigmaExp: 0.5", &C::SigmaExp, 0.5, &C::Mu, 7},
        {"Kt: -0.0012", &C::bTempCoeff, -0.0012, &C::Mu, 7},
        {"KBB: 5", &C::beta2bb, 9, &C::Mu, 7},  // keys are case-sensitive: nothing is set
    };
    for (const auto& [line, get, want, get2, want2] : cases) {
        CalibrationDataClass cal = fresh();
        ParseChannelValueLine(line, 0, cal);
        EXPECT_NEAR((cal.*get)(0), want, 1e-12) << line;
        EXPECT_NEAR((cal.*get2)(0), want2, 1e-12) << line;
    }
    for (int i = 0; i <= 2; ++i) {
        CalibrationDataClass cal = fresh();
        ParseChannelValueLine("kSigma" + std::to_string(i) + ": 0.25", 0, cal);
        for (int j = 0; j <= 2; ++j)
            EXPECT_DOUBLE_EQ(cal.Sigma(0, j), i == j ? 0.25 : fresh().Sigma(0, j));
    }
}

TEST(ChannelValueLine, GainLineCarriesGainAndThreeOffsets) {
    CalibrationDataClass cal;
    ParseChannelValueLine("' G3:100.3:-4:12:7", 2, cal);
    EXPECT_DOUBLE_EQ(cal.gain(2, 3), 100.3);
    EXPECT_EQ(cal.DarkOffset(2, 3), -4);
    EXPECT_EQ(cal.NomOffset(2, 3), 12);
    EXPECT_EQ(cal.FlOffset(2, 3), 7);
    EXPECT_DOUBLE_EQ(cal.gain(2, 2), 10);  // other settings keep theirs
    // a short line sets what it has; a setting outside 1-5 sets nothing
    ParseChannelValueLine("' G1:2.5", 2, cal);
    EXPECT_DOUBLE_EQ(cal.gain(2, 1), 2.5);
    EXPECT_EQ(cal.DarkOffset(2, 1), 0);
    const CalibrationDataClass before = cal;
    ParseChannelValueLine("' G6:3:3:3:3", 2, cal);
    ParseChannelValueLine("' G0:3:3:3:3", 2, cal);
    ParseChannelValueLine("' G:3", 2, cal);
    EXPECT_EQ(cal.Compare(before), 0);
}

TEST(ChannelDump, ChannelLineSetsChannelAndName) {
    CalibrationDataClass cal;
    cal.DeviceType = kVantor6;
    ParseChannelDump({"Channel 3 (bb470)", "deltaLambda: 20", "ChEx: 5", "ChRep: 7", "mu: 3.5",
                      "' G2:10.5:1:2:3", ">"},
                     cal, 0);
    EXPECT_EQ(cal.name(2), "bb470");
    EXPECT_EQ(cal.lambda(2), 470);
    EXPECT_EQ(cal.bDeltaLambda(2), 20);
    EXPECT_EQ(cal.ChEx(2), 5);
    EXPECT_EQ(cal.ChRep(2), 7);
    EXPECT_DOUBLE_EQ(cal.Mu(2), 3.5);
    EXPECT_DOUBLE_EQ(cal.gain(2, 2), 10.5);
    EXPECT_DOUBLE_EQ(cal.Mu(0), 0);
    // the name runs from the first "(" to the last ")"
    ParseChannelDump({"Channel 1 (bb(412))"}, cal, 5);
    EXPECT_EQ(cal.name(0), "bb(412)");
    EXPECT_EQ(cal.lambda(0), 412);
    // without a channel line the assumed channel is used; a channel beyond the records is not
    ParseChannelDump({"mu: 4"}, cal, 4);
    EXPECT_DOUBLE_EQ(cal.Mu(4), 4);
    const CalibrationDataClass before = cal;
    ParseChannelDump({"Channel 14 (x)", "mu: 9", "Channel 0", "mu: 9", "Channel", "mu: 9"}, cal, 0);
    EXPECT_EQ(cal.Compare(before), 0);
}

TEST(DumpCompletion, PromptAfterTheDumpEndsIt) {
    EXPECT_TRUE(IsPromptLine(">"));
    EXPECT_FALSE(IsPromptLine(""));
    EXPECT_FALSE(IsPromptLine("a>"));
    // a prompt left over from the stop before does not end the dump
    EXPECT_FALSE(GlobalDumpComplete({"Stopped", ">"}));
    EXPECT_FALSE(GlobalDumpComplete({">", "Model: VN6", "S/N: VN6-0101"}));
    EXPECT_TRUE(GlobalDumpComplete({">", "Model: VN6", ">"}));
    EXPECT_FALSE(ChannelDumpComplete({"Channel 2 (bb)", "mu: 3"}));
    EXPECT_TRUE(ChannelDumpComplete({">", "Channel 2 (bb)", "mu: 3", ">"}));
}

TEST(GlobalDump, EachLabelSetsItsField) {
    CalibrationDataClass cal;
    cal.DeviceType = kVantor6;
    std::string firmware = "0";
    ParseGlobalDump({"Model: vn4", "S/N: V4-0102 x", "Config: T1", "ID: Bay Lab",
                     "Firmware version 3.21", "Cal time: 03/01/24 12:30:15", "Cal temp: 20.5",
                     "Maximum depth: 600 m", "Depth coefficient: 0.01", "Depth offset: -1.5", ">"},
                    cal, firmware);
    EXPECT_EQ(cal.DeviceType, kVantor4);
    EXPECT_EQ(cal.Serial, "V4-0102 x");
    EXPECT_EQ(cal.Config, "T1");
    EXPECT_EQ(cal.Label, "Bay Lab");
    EXPECT_EQ(firmware, "3.21");
    EXPECT_DOUBLE_EQ(cal.CalTime, DateValue(2024, 3, 1) + (12 * 3600 + 30 * 60 + 15) / 86400.0);
    EXPECT_FLOAT_EQ(cal.CalTemp, 20.5f);
    EXPECT_FLOAT_EQ(cal.MaxDepth, 600);
    EXPECT_FLOAT_EQ(cal.DepthCal, 0.01f);
    EXPECT_FLOAT_EQ(cal.DepthOff, -1.5f);
}

TEST(GlobalDump, FirstLabelInOrderWins) {
    const std::tuple<const char*, GlobalField> cases[] = {
        {"Maximum depth: 5 s/n: 3", GlobalField::kMaxDepth},
        {"S/N: 12 config: 3", GlobalField::kSerial},
        {"s/n:12", GlobalField::kNone},  // the serial label has its blank
        {"Cal time: 3 firmware", GlobalField::kCalTime},
        {"Model: a-Lumo depth offset: 2", GlobalField::kModel},
        {"DEPTH OFFSET: 4", GlobalField::kDepthOffset},
        {"Lab id: 7", GlobalField::kLabel},
        {"Identification:", GlobalField::kNone},
    };
    for (const auto& [line, field] : cases) EXPECT_EQ(GlobalDumpField(line), field) << line;
    const std::tuple<const char*, int> models[] = {{"model: vn2", kVantor2},
                                                   {"Model: TREVAN-2", kTrevan2},
                                                   {"Model: x-lumo ", kXLumo},
                                                   {"Model: nothing", kUnknownType}};
    for (const auto& [line, type] : models) {
        CalibrationDataClass cal;
        std::string firmware;
        ParseGlobalDump({line}, cal, firmware);
        EXPECT_EQ(cal.DeviceType, type) << line;
    }
}

TEST(BinaryCalibrationFile, ReadFromAFileAndItsErrors) {
    test::TempDir dir;
    CalibrationDataClass cal;
    cal.DeviceType = kCLumo;
    cal.Serial = "B01230605";
    cal.SetMu(0, 0, 1.23e-5);
    std::string image;
    ASSERT_TRUE(BuildBinaryImage(cal, image));
    const std::string path = dir.File("image.bin");
    test::WriteFileBytes(path, image);

    CalibrationDataClass read;
    test::ScriptedPrompter prompter;
    ASSERT_TRUE(LoadBinaryCalibration(path, read, prompter));
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(read.Serial, "B01230605");

    const std::string missing = dir.File("none.bin");
    EXPECT_FALSE(LoadBinaryCalibration(missing, read, prompter));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0], "Error opening calibration file '" + missing +
                                     "': 2 (No such file or directory).  Calibration data not "
                                     "valid.");
}

TEST(CalReplyFuzz, GarbageNeverBreaksTheParsers) {
    std::mt19937 random(20240301);
    const std::vector<std::string> pieces = {
        "' G",    ":",           "Channel ",    "(",     ")",          "mu",      "muRho",  "Roo",
        "kc",     "kSigma",      "Kt",          "-",     ".",          "9",       "1E+308", "s/n: ",
        "model:", "cal time:",   "/",           "[End]", "[Channel8]", ">",       "=",      "\xff",
        " ",      "99999999999", "deltaLambda", "ChEx",  "ChRep",      "firmware"};
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::string> lines;
        const int count = static_cast<int>(random() % 70);
        for (int i = 0; i < count; ++i) {
            std::string line;
            const int parts = static_cast<int>(random() % 8);
            for (int p = 0; p < parts; ++p) line += pieces[random() % pieces.size()];
            lines.push_back(line);
        }
        CalibrationDataClass cal;
        cal.DeviceType = static_cast<int>(random() % 8);
        std::string firmware;
        ParseGlobalDump(lines, cal, firmware);
        ParseChannelDump(lines, cal, static_cast<int>(random() % 20) - 3);
        for (const std::string& l : lines)
            ParseChannelValueLine(l, static_cast<int>(random() % 16) - 2, cal);
        CompleteMultiCal(lines, cal);
        CompleteCalText(lines, cal);
        GlobalDumpComplete(lines);
        ChannelDumpComplete(lines);
    }
}

}  // namespace
}  // namespace tidewell
