// Sampling: what the instrument sends decodes with the program's decoder to what it meant, at
// its period, with its start messages, faults and sleep.

#include <gtest/gtest.h>

#include <cmath>

#include "stream/DateValue.h"
#include "stream/Decoder.h"
#include "stream/Models.h"
#include "support/TestSupport.h"
#include "tests/sim/SimDriver.h"

namespace tidewell::sim::test {
namespace {

using tidewell::test::CutAtReturns;
using tidewell::test::SampleLines;

// Compares a decoded record with the sample the instrument meant.
void ExpectDecodesTo(int model, const std::string& line, const SimSample& s) {
    SCOPED_TRACE(line);
    SampleRecord r;
    ASSERT_TRUE(DecodeLine(line, model, r));
    const double seconds = s.Seconds();
    EXPECT_NEAR(r.depthCounts, s.depthCounts, 1e-3);
    EXPECT_NEAR(r.temperature, s.temperatureCentis / 100.0, 1e-4);
    if (IsVantorFamily(model)) {
        EXPECT_EQ(r.time, std::floor(seconds));
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(r.raw[i], s.counts[i]) << i;
            EXPECT_EQ(r.gain[i], s.gain[i]) << i;
            EXPECT_EQ(s.counts[i] != 0, i < ChannelCount(model)) << i;
        }
    } else if (IsTrevan(model)) {
        EXPECT_NEAR(r.time, seconds, 1e-6);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(r.signal[i], s.counts[i]);
            EXPECT_EQ(r.reference[i], s.reference[i]);
        }
        EXPECT_NEAR(r.infoA, s.infoACounts / 100.0, 1e-3);
        EXPECT_NEAR(r.voltage, s.voltageCentis / 100.0, 1e-4);
        EXPECT_EQ(r.infoCode, s.infoCode);
    } else {
        EXPECT_EQ(r.time, std::floor(seconds));
        EXPECT_EQ(r.subSecond, s.hundredths % 100);
        EXPECT_EQ(r.signal[0], s.counts[0]);
        EXPECT_EQ(r.gain[0], s.gain[0]);
        EXPECT_EQ(r.optionCounts, model == kXLumo ? 0 : s.optionCounts);
    }
}

TEST(SimSampling, EveryModelsLinesDecodeToTheSamplesMeant) {
    struct Case {
        int model;
        bool decimal;   // DATAFORMAT,D before starting
        int kind;       // kind of the sample lines
        int extraKind;  // an information line with each sample, or 0
    } cases[] = {
        {kVantor6, false, kDPacket, 0},
        {kVantor4, false, kDPacket, 0},
        {kVantor2, false, kDPacket, 0},
        {kALumo, false, kAPacket, 0},
        {kALumo, true, kSingleDecimalLine, 0},
        {kCLumo, false, kCPacket, 0},
        {kXLumo, true, kSingleDecimalLongLine, 0},
        {kXLumo, false, kSingleDecimalLine, kIPacket},
        {kTrevan2, false, kTwoChannelLongLine, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ModelName(c.model) + (c.decimal ? " decimal" : ""));
        Driver d(Driver::Model(c.model));
        d.Send(std::string("DATAFORMAT,") + (c.decimal ? "D\r" : "H\r"));
        const std::string bytes = d.Send("START\r", 4.05);
        const std::vector<std::string> lines = SampleLines(bytes);
        const auto& samples = d.sim.liveSamples();
        ASSERT_EQ(lines.size(), 5u);  // at 0, 1, 2, 3 and 4 s
        ASSERT_EQ(samples.size(), lines.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(ClassifyLine(lines[i]), c.kind);
            ExpectDecodesTo(c.model, lines[i], samples[i]);
            // a file without a header still tells the model from the line
            const bool xLines = c.kind == kSingleDecimalLine || c.kind == kSingleDecimalLongLine;
            EXPECT_EQ(GuessInstrumentType(lines[i]), xLines ? kXLumo : c.model);
        }
        EXPECT_EQ(d.sim.truth().lines[c.kind], 5);
        EXPECT_EQ(d.sim.truth().samples, 5);
        if (c.extraKind) {
            EXPECT_EQ(d.sim.truth().lines[c.extraKind], 5);
        }
        EXPECT_EQ(d.sim.truth().lines[kHPacket], IsVantorFamily(c.model) ? 1 : 0);
    }
}

TEST(SimSampling, StartDelayAndShutterMessagesComeFirst) {
    SimOptions o = Driver::Model(kVantor6);
    o.shutter = true;
    Driver d(o);
    d.Send("LOG,1,3\r");
    // "Opening shutter" comes without a line end, and stays alone until the shutter has moved
    const std::string opening = d.Send("START,0\r", 1.0);
    EXPECT_EQ(opening, "Opening shutter");
    EXPECT_EQ(d.Send("LOG\r", 0.5), "");  // a command waits for the shutter
    const std::vector<std::string> lines = CutAtReturns(opening + d.Wait(1.0));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{"Opening shutter..done", "Starting in 3 seconds",
                                        "Sample period: 1"}));
    EXPECT_TRUE(SampleLines(d.Wait(2.4)).empty());
    std::vector<std::string> started = CutAtReturns(d.Wait(0.2));
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(ClassifyLine(started[0]), kHPacket);
    EXPECT_EQ(ClassifyLine(started[1]), kDPacket);

    const std::vector<std::string> stop = CutAtReturns(d.Send("STOP\r", 2.5));
    EXPECT_EQ(stop, (std::vector<std::string>{"Stopped", "Closing shutter..done", ">"}));
    EXPECT_TRUE(SampleLines(d.Wait(5)).empty());
}

TEST(SimSampling, FaultsAreCountedInTheTruth) {
    SimOptions o = Driver::Model(kCLumo);
    o.streaming = true;
    o.badChecksumEvery = 3;
    o.dropEvery = 4;
    o.period = 0.5;
    Driver d(o);
    const std::vector<std::string> lines = CutAtReturns(d.Wait(11.9));  // 24 samples
    ASSERT_EQ(lines.size(), 24u);
    int good = 0, shortLines = 0;
    for (const std::string& l : lines) {
        if (ClassifyLine(l) == kCPacket) ++good;
        if (l.size() == 31) ++shortLines;
    }
    const SimTruth& t = d.sim.truth();
    EXPECT_EQ(t.samples, 24);
    EXPECT_EQ(t.badChecksums, 8);
    EXPECT_EQ(t.droppedLines, 6);
    EXPECT_EQ(shortLines, 6);
    // every 12th line is both: 24 - 8 - 6 + 2
    EXPECT_EQ(t.lines[kCPacket], 12);
    EXPECT_EQ(good, 12);
    EXPECT_NE(t.Text().find("C=12\n"), std::string::npos);
}

}  // namespace
}  // namespace tidewell::sim::test
