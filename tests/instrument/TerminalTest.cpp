// The terminal's renderings of decoded samples and the edits of its response and data boxes.

#include <gtest/gtest.h>

#include "instrument/Terminal.h"
#include "tests/instrument/EngineFixture.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell {
namespace {

TEST(Terminal, RenderingsPadEachFieldAndNeverCutALongOne) {
    SampleRecord s;
    s.time = 100;
    s.raw[0] = 1234567;  // wider than its 6 columns: shifts the rest of the line
    s.raw[1] = -5;
    s.gain[0] = 1;
    s.depthCounts = 812;
    s.temperature = 21.5f;
    s.tailCode = 7;
    const std::string zeroCounts = "     0     0     0     0     0     0";
    EXPECT_EQ(CountsLine(s), "                100 1234567    -5" + zeroCounts +
                                 " 1 0 0 0 0 0 0 0   812 21.5 7\r\n");

    s.subSecond = 5;
    s.normalized[0] = 0.25f;
    s.optionCounts = 300;
    EXPECT_EQ(SingleDecimalLine(s), " 100.5, .25, 1, 300, 812, 21.5\r\n");

    CalibratedSample c;
    EXPECT_EQ(BbLine(c, false), "\r\n");  // no valid channel
    c.valid[1] = c.valid[3] = true;
    c.bb[1] = 0.0025;
    c.bbCorrected[3] = -0.5;
    EXPECT_EQ(BbLine(c, false), "          .0025              0\r\n");
    EXPECT_EQ(BbLine(c, true), "              0            -.5\r\n");
}

TEST(Terminal, ResponseLosesItsTrailingSampleLineAndTheDataBoxItsOldestText) {
    const std::string sample = "1,2,3,4,5,6";  // a single-channel decimal line
    const struct {
        std::string text, expected;
    } cases[] = {
        {sample, ""},
        {"ID\r\n" + sample + "\r", "ID"},
        {"ID\r\nVantor-6 123\r", "ID\r\nVantor-6 123\r"},
        {"prompt>", "prompt>"},
    };
    for (const auto& c : cases) EXPECT_EQ(RemoveDataLines(c.text), c.expected) << c.text;

    EXPECT_EQ(DataBoxCut(90, 9, 100), 0u);
    EXPECT_EQ(DataBoxCut(90, 10, 100), 10u);
    EXPECT_EQ(DataBoxCut(5, 200, 100), 5u);
}

using TerminalUpdateTest = test::EngineTest;

// Each line is rendered by its kind for the mode; without a calibration nothing is converted.
TEST_F(TerminalUpdateTest, EachModeRendersTheQueuedLinesByTheirKind) {
    ChannelPacketFields d;
    d.time = 100;
    d.raw[0] = 1200;
    SinglePacketFields a;
    a.time = 100;
    a.subSecond = 5;
    InfoPacketFields info;
    info.voltageCode = 125;
    const std::string dLine = BuildDPacket(d), aLine = BuildAPacket(a);
    const std::string iLine = BuildIPacket(info);
    const std::string lines[] = {dLine, BuildDPacket(d, PacketChecksum::kBad), iLine, aLine,
                                 "prompt>"};
    const struct {
        TerminalMode mode;
        std::vector<std::string> starts;  // the start of each block appended
    } cases[] = {
        {TerminalMode::kRawHex, {dLine + "\r\n", iLine + "\r\n", aLine + "\r\n"}},
        {TerminalMode::kRawDecimal, {"                100  1200", " 100.5,"}},
        {TerminalMode::kCalibrated, {"\r\n", "a =               0\r\nbb ="}},
        {TerminalMode::kSigmaCorrected, {"\r\n"}},
    };
    InstrumentRecord& r = Connect(kVantor6);
    for (const auto& c : cases) {
        for (const std::string& line : lines) r.terminalQueue.Add(line);
        r.lastLineTime = clock.Now();
        const TerminalUpdate u = UpdateTerminal(program, 0, c.mode, false);
        EXPECT_EQ(u.processed, 5);
        ASSERT_EQ(u.blocks.size(), c.starts.size()) << static_cast<int>(c.mode);
        for (size_t i = 0; i < c.starts.size(); ++i)
            EXPECT_TRUE(u.blocks[i].starts_with(c.starts[i])) << u.blocks[i];
        EXPECT_EQ(u.voltagePanel, " 12.5 V");  // from the I packet
        EXPECT_EQ(u.depthPanel, "0 m");
    }
    EXPECT_EQ(UpdateTerminal(program, 0, TerminalMode::kRawHex, false).processed, 0);
}

// With a calibration the calibrated mode shows the plain bb, the sigma mode the corrected.
TEST_F(TerminalUpdateTest, CalibratedModeShowsThePlainBbTheSigmaModeTheCorrected) {
    program.settings.Sigma.aStar = 0.04;
    program.settings.Sigma.aStarFile.clear();
    InstrumentRecord& r = Calibrated();
    ChannelPacketFields d;
    d.raw[0] = 1200;
    d.gain[0] = 1;
    std::string shown[2];
    for (TerminalMode mode : {TerminalMode::kCalibrated, TerminalMode::kSigmaCorrected}) {
        r.terminalQueue.Add(BuildDPacket(d));
        const TerminalUpdate u = UpdateTerminal(program, 0, mode, false);
        ASSERT_EQ(u.blocks.size(), 1u);
        shown[mode == TerminalMode::kSigmaCorrected] = u.blocks[0];
    }
    // the correction adds back what the water's attenuation took
    EXPECT_LT(std::stod(shown[0]), std::stod(shown[1])) << shown[0] << shown[1];
}

}  // namespace
}  // namespace tidewell
