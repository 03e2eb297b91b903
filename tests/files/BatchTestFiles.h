#pragma once
// The raw files and settings of the batch conversion tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calibration/CalibrationData.h"
#include "calibration/SigmaModel.h"
#include "files/DatFile.h"
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

// The recordings under tests/data/batch, as the batch tests read them: vantor6.raw holds two
// recordings joined, with instrument chatter, a bad checksum, a checksum that includes the "*",
// a T and an H packet and every kind of line end; alumo.raw A and I packets and decimal lines of
// both lengths; clumo.raw C packets without a header; trevan2.raw two-channel decimal lines.
inline std::string BatchRaw(const std::string& name) {
    return ReadFileBytes(DataPath("batch/" + name));
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

}  // namespace tidewell::test
