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

// Each file's type, file type and serial as the reader and the detector learn them (the reader
// takes the file type only from a header), and the header's configuration.
TEST(FileInfo, HeadersOrElseDataLines) {
    TempDir dir;
    std::string noise;
    for (int i = 0; i < 300; ++i) noise += "noise\r";
    const std::string unknown = "[Header]\r\nDeviceType=unknown\r\n[EndHeader]\r\n";
    const std::tuple<std::string, bool, int, const char*, const char*, const char*, const char*>
        cases[] = {
            {ReadFileBytes(DataPath("files/recording.raw")), true, 0, "raw", "raw", "VN123456",
             "cfg A"},
            {ReadFileBytes(DataPath("batch/alumo.dat")), true, 3, "dat", "dat", "AL-0077", ""},
            // names compare ignoring case; values end at a blank, "//" or ","; the first key wins
            {"[Header]\r\nDeviceType=vantor-4\r\nSerial= V4-0042 // spare\r\nConfig=a,b\r\n"
             "ID=\tnone\r\nSerial =ignored\r\n[EndHeader]\r\n",
             true, 1, "", "", "V4-0042", "a"},
            // an unknown device still counts as named, and data lines decide
            {unknown, true, 7, "", "", "unknown", ""},
            {unknown + APacket() + "\r", true, 3, "", "raw", "unknown", ""},
            {"S>\r" + APacket() + "\r", true, 3, "", "raw", "unknown", ""},
            {APacket().replace(1, 1, "C") + "\r", false, 7, "", "", "unknown", ""},  // A checksum
            {"12," + RatioLine() + "\r\n", true, 0, "rmu", "rmu", "unknown", ""},
            {"1,2,3,4,5,6,7\r", false, 7, "", "rmu", "unknown", ""},  // prefixed single-channel
            {"", false, 7, "", "", "unknown", ""},
            // only the first 301 lines are read
            {noise + APacket() + "\r", true, 3, "", "raw", "unknown", ""},
            {noise + "noise\r" + APacket() + "\r", false, 7, "", "", "unknown", ""},
        };
    const std::string path = dir.File("f.raw");
    for (const auto& [content, recognized, type, infoFileType, detectedFileType, serialNumber,
                      config] : cases) {
        SCOPED_TRACE(content.substr(0, 60));
        WriteFileBytes(path, content);
        DataFileInfo info;
        info.instrumentType = 2;
        EXPECT_EQ(ReadFileInfo(path, info), recognized);
        EXPECT_EQ(info.instrumentType, type);
        EXPECT_EQ(info.fileType, infoFileType);
        EXPECT_EQ(info.serial, serialNumber);
        EXPECT_EQ(info.config, config);
        EXPECT_EQ(info.id, "");
        std::string fileType, serial;
        EXPECT_EQ(DetectFileKind(path, fileType, serial), type);
        EXPECT_EQ(fileType, detectedFileType);
        EXPECT_EQ(serial, serialNumber);
    }
    DataFileInfo info;
    EXPECT_FALSE(ReadFileInfo("/no/such/file.raw", info));
    std::string fileType = "x", serial;
    EXPECT_EQ(DetectFileKind("/no/such/file.raw", fileType, serial), 7);
    EXPECT_EQ(fileType + serial, "unknown");
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
        std::string fileType, serial;
        const int type = DetectFileKind(path, fileType, serial);
        EXPECT_TRUE(info.instrumentType >= 0 && info.instrumentType <= 7 &&
                    type == info.instrumentType);
        EXPECT_FALSE(info.serial.empty() || serial.empty());
    }
}

}  // namespace
}  // namespace tidewell
