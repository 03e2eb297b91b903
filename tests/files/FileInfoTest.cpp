// What the readers learn from a data file's header, or from its data lines when it has none.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "files/FileInfo.h"
#include "support/TestSupport.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell {
namespace {

using namespace test;

std::string APacket() {
    SinglePacketFields f;
    f.time = 1000;
    f.signal = 1234;
    f.gain = 2;
    return BuildAPacket(f);
}

// An eight-channel decimal line whose highest channel with a reference is channel 7: Vantor-6.
std::string RatioLine() {
    RatioDecimalFields f;
    for (auto& c : f.channel) c.reference = 1000;
    return BuildRatioDecimalLine(f);
}

TEST(FileInfo, HeadersOfOurOwnFiles) {
    const std::tuple<const char*, int, const char*, const char*, const char*> cases[] = {
        {"files/recording.raw", 0, "raw", "VN123456", "cfg A"},
        {"batch/alumo.dat", 3, "dat", "AL-0077", ""},
        {"batch/trevan2.dat", 6, "dat", "C2-0033", ""},
    };
    for (const auto& [file, type, kind, serialNumber, config] : cases) {
        DataFileInfo info;
        EXPECT_TRUE(ReadFileInfo(DataPath(file), info)) << file;
        EXPECT_EQ(info.instrumentType, type) << file;
        EXPECT_EQ(info.fileType, kind) << file;
        EXPECT_EQ(info.serial, serialNumber) << file;
        EXPECT_EQ(info.config, config) << file;
        std::string fileType, serial;
        EXPECT_EQ(DetectFileKind(DataPath(file), fileType, serial), type) << file;
        EXPECT_EQ(fileType, kind) << file;
        EXPECT_EQ(serial, serialNumber) << file;
    }
}

TEST(FileInfo, HeaderValuesFollowTheKeyRules) {
    TempDir dir;
    const std::string path = dir.File("h.raw");
    WriteFileBytes(path,
                   "[Header]\r\nDeviceType=vantor-4\r\nSerial= V4-0042 // spare\r\nConfig=a,b\r\n"
                   "ID=\tnone\r\nSerial =ignored\r\n[EndHeader]\r\n");
    DataFileInfo info;
    EXPECT_TRUE(ReadFileInfo(path, info));
    EXPECT_EQ(info.instrumentType, 1);  // names compare ignoring case
    EXPECT_EQ(info.deviceType, "vantor-4");
    EXPECT_EQ(info.serial, "V4-0042");
    EXPECT_EQ(info.config, "a");
    EXPECT_EQ(info.id, "");
    EXPECT_EQ(info.fileType, "");
}

TEST(FileInfo, FilesWithoutHeaderAreKnownByTheirDataLines) {
    TempDir dir;
    const std::tuple<std::string, int, const char*, const char*> cases[] = {
        {"S>\r" + APacket() + "\r", 3, "", "raw"},
        {APacket().replace(1, 1, "C") + "\r", 7, "", ""},  // a C packet with an A checksum
        {"12," + RatioLine() + "\r\n", 0, "rmu", "rmu"},
        {"1,2,3,4,5,6,7\r", 7, "", "rmu"},  // prefixed single-channel line: no type
        {"garbage\nmore\n", 7, "", ""},
        {"", 7, "", ""},
    };
    for (const auto& [content, type, infoFileType, detectedFileType] : cases) {
        const std::string path = dir.File("bare.raw");
        WriteFileBytes(path, content);
        DataFileInfo info;
        EXPECT_EQ(ReadFileInfo(path, info), type != 7) << content;
        EXPECT_EQ(info.instrumentType, type) << content;
        EXPECT_EQ(info.fileType, infoFileType) << content;
        EXPECT_EQ(info.serial, "unknown");
        std::string fileType, serial;
        EXPECT_EQ(DetectFileKind(path, fileType, serial), type) << content;
        EXPECT_EQ(fileType, detectedFileType) << content;
        EXPECT_EQ(serial, "unknown");
    }
}

TEST(FileInfo, AnUnknownDeviceStillCountsAsNamedAndDataLinesDecide) {
    TempDir dir;
    const std::string path = dir.File("u.raw");
    WriteFileBytes(path, "[Header]\r\nDeviceType=unknown\r\n[EndHeader]\r\n");
    DataFileInfo info;
    EXPECT_TRUE(ReadFileInfo(path, info));
    EXPECT_EQ(info.instrumentType, 7);
    WriteFileBytes(path, "[Header]\r\nDeviceType=unknown\r\n[EndHeader]\r\n" + APacket() + "\r");
    EXPECT_TRUE(ReadFileInfo(path, info));
    EXPECT_EQ(info.instrumentType, 3);
}

TEST(FileInfo, OnlyTheFirst301LinesAreRead) {
    TempDir dir;
    const std::string path = dir.File("late.raw");
    for (int before : {300, 301}) {
        std::string content;
        for (int i = 0; i < before; ++i) content += "noise\r";
        WriteFileBytes(path, content + APacket() + "\r");
        DataFileInfo info;
        EXPECT_EQ(ReadFileInfo(path, info), before == 300);
        EXPECT_EQ(info.instrumentType, before == 300 ? 3 : 7);
    }
}

TEST(FileInfo, MissingFile) {
    DataFileInfo info;
    info.instrumentType = 2;
    EXPECT_FALSE(ReadFileInfo("/no/such/file.raw", info));
    EXPECT_EQ(info.instrumentType, 7);
    std::string fileType = "x", serial;
    EXPECT_EQ(DetectFileKind("/no/such/file.raw", fileType, serial), 7);
    EXPECT_EQ(fileType, "");
    EXPECT_EQ(serial, "unknown");
}

TEST(SerialsMatch, LettersAndNumber) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"QZ123", "qz0123", true},  // same letters ignoring case, same number
        {"QZ123", "unknown", true},          {"", "QZ9", true},
        {"QZ12345678", "QZ12349999", false},  // 5678 against 9999, from the seventh character
        {"QZ12345678", "QZ99995678", true},  {"QZ123", "QY123", false},
        {"QZ123", "QZ124", false},           {"AB12.6", "AB13", true},  // rounded
        {"VN1234", "VN-1234", false},  // 1234 against 4 (a seven-character serial)
    };
    for (const auto& [a, b, match] : cases) {
        EXPECT_EQ(SerialsMatch(a, b), match) << a << " / " << b;
        EXPECT_EQ(SerialsMatch(b, a), match) << b << " / " << a;
    }
}

TEST(FileInfo, GarbageFilesNeverUpsetTheReaders) {
    TempDir dir;
    const std::string path = dir.File("junk.raw");
    std::mt19937 rng(20260);
    const std::string alphabet = "*DATCVIH[]=,.-+0123456789ABCDEF \r\n\t/\xff";
    for (int round = 0; round < 300; ++round) {
        std::string content;
        const size_t length = rng() % 3000;
        for (size_t i = 0; i < length; ++i)
            content += (rng() % 4 == 0) ? static_cast<char>(rng() % 256)
                                        : alphabet[rng() % alphabet.size()];
        if (round % 10 == 0) content += "\r" + APacket();
        WriteFileBytes(path, content);
        DataFileInfo info;
        ReadFileInfo(path, info);
        EXPECT_GE(info.instrumentType, 0);
        EXPECT_LE(info.instrumentType, 7);
        EXPECT_FALSE(info.serial.empty());
        std::string fileType, serial;
        int type = DetectFileKind(path, fileType, serial);
        EXPECT_GE(type, 0);
        EXPECT_LE(type, 7);
        EXPECT_FALSE(serial.empty());
    }
}

}  // namespace
}  // namespace tidewell
