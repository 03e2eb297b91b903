#pragma once
// The raw files and settings of the batch conversion tests. The raw files under
// tests/data/batch are built from these packets (BatchGoldenTest checks that they still are).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calibration/CalibrationData.h"
#include "calibration/SigmaModel.h"
#include "files/DatFile.h"
#include "files/HeaderText.h"
#include "support/TestSupport.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell::test {

// Settings chosen so that rows can be worked out by hand: a* and bbTilde as numbers (no table
// files), no pure-water terms, chi from the calibration (4, taken as the full factor), beta
// columns on. With sigma coefficients s1 = s2 = 0 in the test calibrations sigma is 1.
inline HeaderSettings HandHeaderSettings() {
    HeaderSettings h;
    h.sigma.aStar = 0.05;
    h.sigma.aStarFile = "";
    h.pureWater.useCalFileChi = true;
    h.pureWater.MorelFresh = false;
    h.pureWater.NoPure = true;
    h.pureWater.beta0 = 0;
    h.pureWater.bb0 = 0;
    h.pureWater.IncludeBetaInDatFiles = true;
    return h;
}

// A calibration file read with these settings; reading it shows no message.
inline CalibrationDataClass LoadCalibration(const std::string& path,
                                            const HeaderSettings& settings = HandHeaderSettings()) {
    CalibrationDataClass cal;
    ScriptedPrompter prompter;
    EXPECT_TRUE(cal.SetSourceFile(path, settings.sigma, LoadSigmaTables(settings.sigma), prompter))
        << path;
    EXPECT_EQ(prompter.shown, std::vector<std::string>{});
    return cal;
}

// 2005-07-04 14:03:09 as a date value.
inline constexpr double kTestCreationDate = 38537.585520833333;

inline std::string RawHeader(const std::string& deviceType, const std::string& serial) {
    HeaderStart h;
    h.creationDate = kTestCreationDate;
    h.fileType = "raw";
    h.deviceType = deviceType;
    h.dataSource = serial;
    h.calSource = deviceType;
    h.serial = serial;
    std::string out;
    AppendHeaderStart(out, h);
    AppendLine(out, "[EndHeader]");
    return out;
}

inline ChannelPacketFields VantorFields(int32_t time, std::initializer_list<int16_t> raw,
                                        std::initializer_list<uint8_t> gain, int16_t depth,
                                        uint8_t temperatureCode, uint8_t tail = 0) {
    ChannelPacketFields f;
    f.time = time;
    std::copy(raw.begin(), raw.end(), f.raw);
    std::copy(gain.begin(), gain.end(), f.gain);
    f.depthCounts = depth;
    f.temperatureCode = temperatureCode;
    f.tailCode = tail;
    return f;
}

// Two recordings of a Vantor-6 joined together, with instrument chatter, a bad checksum, a
// packet whose checksum includes the "*", a T and an H packet, and every kind of line end.
inline std::string Vantor6Raw() {
    const auto d1 = VantorFields(43200, {1000, 2000, 3000, 4000, 5000, 6000, 700, 800},
                                 {1, 1, 1, 1, 1, 1, 1, 1}, 200, 150);
    const auto d2 = VantorFields(86400, {-100, 32767, 1234, 4000, 5000, 6000, 700, 800},
                                 {2, 3, 0, 6, 9, 5, 1, 1}, -2, 255, 0x1F);
    auto t1 = d1;
    t1.time = 86401;
    t1.subSecond = 50;
    HeaderPacketFields h;
    h.time = 86400;
    for (int k = 0; k < 8; ++k) {
        h.channel[k][0] = static_cast<int16_t>(100 + k);
        h.channel[k][1] = static_cast<int16_t>(2000 + k);
        h.channel[k][2] = static_cast<int16_t>(50 + k);
        h.channel[k][3] = static_cast<int16_t>(k == 0 ? 0xFF : k);
    }
    h.housekeeping[0] = 121;
    h.housekeeping[1] = 118;
    h.housekeeping[2] = 33;
    h.housekeeping[3] = 4000;
    const auto d4 = VantorFields(129600, {100, 100, 100, 100, 100, 100, 100, 100},
                                 {1, 1, 1, 1, 1, 1, 1, 1}, 0, 100);
    std::string s = RawHeader("Vantor-6", "VN6-0412");
    s += "Vantor-6 ready\r>\r";
    s += BuildDPacket(d1) + "\r";
    s += BuildHPacket(h) + "\r";
    s += BuildDPacket(d2, PacketChecksum::kIncludingStar) + "\r\n";
    s += BuildDPacket(d1, PacketChecksum::kBad) + "\r";
    s += "Bad command\r\r";
    s += BuildTPacket(t1) + "\n";
    s += RawHeader("Vantor-6", "VN6-0412");
    s += BuildDPacket(d4);  // the last line has no end
    return s;
}

inline SinglePacketFields SingleFields(int32_t time, uint8_t subSecond, int16_t signal,
                                       uint8_t gain, int32_t option, uint16_t depth,
                                       uint16_t temperatureCode) {
    SinglePacketFields f;
    f.time = time;
    f.subSecond = subSecond;
    f.signal = signal;
    f.gain = gain;
    f.optionCounts = option;
    f.depthCounts = depth;
    f.temperatureCode = temperatureCode;
    return f;
}

// An a-Lumo recording: A packets, an I packet, decimal lines of both lengths, chatter and a bad
// checksum.
inline std::string ALumoRaw() {
    InfoPacketFields info;
    info.voltageCode = 121;
    info.levelCounts = 1000;
    info.channelCode = 7;
    info.infoCode = 9;
    info.aCounts = 18325;
    info.bCounts = 19000;
    std::string s = RawHeader("a-Lumo", "AL-0077");
    s += BuildAPacket(SingleFields(43200, 0, 2000, 1, 10000, 200, 300)) + "\r";
    s += BuildIPacket(info) + "\r";
    s += BuildAPacket(SingleFields(43201, 25, -500, 2, 30000, 65535, 123)) + "\r";
    s += BuildAPacket(SingleFields(43202, 0, 2000, 1, -5, 200, 300), PacketChecksum::kBad) + "\r";
    s += "S>\r";
    s += "43300.5,1500,1,12000,400,21.5\r";
    s += "43301,1600,2,12000,400,21.5,12.3,3.5,4,5,19.5,20.25\r";
    s += BuildAPacket(SingleFields(43302, 0, 2000, 1, -5, 200, 300)) + "\r";
    return s;
}

// A c-Lumo recording without a header: its type comes from its packets.
inline std::string CLumoRaw() {
    std::string s;
    s += "c-Lumo v1.2\r";
    s += BuildCPacket(SingleFields(43200, 0, 2000, 1, 10000, 200, 300)) + "\r";
    s += BuildCPacket(SingleFields(43260, 99, 4000, 3, 40000, 1000, 250)) + "\r";
    return s;
}

// A Trevan-2 recording: two-channel decimal lines of both lengths.
inline std::string Trevan2Raw() {
    std::string s = RawHeader("Trevan-2", "C2-0033");
    s += "43200.00,2000,3000,1000,1000,200,2000,100,200\r";
    s += "43201.50,4000,8000,1000,1000,400,1500,100,200,1250,3,0,0,0,0,0\r";
    s += "Trevan-2>\r";
    return s;
}

}  // namespace tidewell::test
