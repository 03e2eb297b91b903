// The terminal's renderings of decoded samples and the edits of its response and data boxes.

#include <gtest/gtest.h>

#include "instrument/Terminal.h"

namespace tidewell {
namespace {

TEST(Terminal, RenderingsPadEachFieldAndNeverCutALongOne) {
    EXPECT_EQ(PadLeft("ab", 6), "    ab");
    EXPECT_EQ(PadLeft("abcdefg", 6), "abcdefg");

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

    c.aCorrected = 1.5f;
    c.depth = 12.25f;
    c.sigmaK = -2;
    EXPECT_EQ(SingleChannelBlock(c),
              "a =             1.5\r\n"
              "bb =              0\r\n"
              "Beta140 =         0\r\n"
              "Depth =     12.25\r\n"
              "K =        -2\r\n"
              "TrT =         0\r\n");
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

}  // namespace
}  // namespace tidewell
