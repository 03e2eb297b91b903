// What the readers learn from a data file's header, or from its data lines when it has none.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "files/FileInfo.h"
#include "support/TestSupport.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell {
namespace {

using test::DataPath;
using test::TempDir;
using test::WriteFileBytes;

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
    struct Case {
        const char* file;
        int type;
        const char* fileType;
        const char* serial;
        const char* config;
    } cases[] = {
        {"files/recording.raw", 0, "raw", "VN123456", "cfg A"},
        {"files/vantor6-beta.dat", 0, "dat", "VN123456", "cfg A"},
        {"files/alumo-beta.dat", 3, "dat", "AL-11", ""},
        {"files/trevan2.dat", 6, "dat", "C2-3", ""},
    };
    for (const Case& c : cases) {
        DataFileInfo info;
        EXPECT_TRUE(ReadFileInfo(DataPath(c.file), info)) << c.file;
        EXPECT_EQ(info.instrumentType, c.type) << c.file;
        EXPECT_EQ(info.fileType, c.fileType) << c.file;
        EXPECT_EQ(info.serial, c.serial) << c.file;
        EXPECT_EQ(info.config, c.config) << c.file;
        std::string fileType, serial;
        EXPECT_EQ(DetectFileKind(DataPath(c.file), fileType, serial), c.type) << c.file;
        EXPECT_EQ(fileType, c.fileType) << c.file;
        EXPECT_EQ(serial, c.serial) << c.file;
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
    struct Case {
        std::string content;
        int type;
        const char* infoFileType;
        const char* detectedFileType;
    } cases[] = {
        {"S>\r" + APacket() + "\r", 3, "", "raw"},
        {APacket().replace(1, 1, "C") + "\r", 7, "", ""},  // a C packet with an A checksum
        {"12," + RatioLine() + "\r\n", 0, "rmu", "rmu"},
        {"1,2,3,4,5,6,7\r", 7, "", "rmu"},  // prefixed single-channel line: no type
        {"garbage\nmore\n", 7, "", ""},
        {"", 7, "", ""},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File("bare.raw");
        WriteFileBytes(path, c.content);
        DataFileInfo info;
        EXPECT_EQ(ReadFileInfo(path, info), c.type != 7) << c.content;
        EXPECT_EQ(info.instrumentType, c.type) << c.content;
        EXPECT_EQ(info.fileType, c.infoFileType) << c.content;
        EXPECT_EQ(info.serial, "unknown");
        std::string fileType, serial;
        EXPECT_EQ(DetectFileKind(path, fileType, serial), c.type) << c.content;
        EXPECT_EQ(fileType, c.detectedFileType) << c.content;
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
    struct Case {
        const char* a;
        const char* b;
        bool match;
    } cases[] = {
        {"QZ123", "qz0123", true},  // same letters ignoring case, same number
        {"QZ123", "unknown", true},
        {"", "QZ9", true},
        {"QZ12345678", "QZ12349999", false},  // 5678 against 9999, from the seventh character
        {"QZ12345678", "QZ99995678", true},
        {"QZ123", "QY123", false},
        {"QZ123", "QZ124", false},
        {"AB12.6", "AB13", true},  // rounded
        {"AB12.4", "AB12", true},
        {"VN1234", "VN-1234", false},  // 1234 against 4 (a seven-character serial)
        {"Q", "q", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SerialsMatch(c.a, c.b), c.match) << c.a << " / " << c.b;
        EXPECT_EQ(SerialsMatch(c.b, c.a), c.match) << c.b << " / " << c.a;
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
