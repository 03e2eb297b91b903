#include <string>
#include <vector>

#include "calibration/Conversion.h"
#include "files/DatFile.h"
#include "instrument/Commands.h"
#include "stream/Decoder.h"
#include "tests/instrument/EngineFixture.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell::test {
namespace {

std::string DPacket(int16_t raw0, int32_t time = 0) {
    ChannelPacketFields f;
    f.time = time;
    f.raw[0] = raw0;
    f.raw[1] = static_cast<int16_t>(raw0 / 2);
    for (uint8_t& g : f.gain) g = 1;
    f.temperatureCode = 100;
    return BuildDPacket(f);
}

using InputLoop = EngineTest;

// A line ends at its carriage return; the phrases of a line still coming act at once (which
// phrases: the link state's own tests).
TEST_F(InputLoop, LineEndsAtItsCarriageReturnButAShutterPromptActsAtOnce) {
    InstrumentRecord& r = Connect(kVantor6);
    const std::string packet = DPacket(10);
    Receive(packet.substr(0, 20));
    Receive(packet.substr(20));
    EXPECT_EQ(r.dataQueue.size() + r.terminalQueue.size(), 0);
    Receive("\r");
    EXPECT_EQ(Drain(r.dataQueue), std::vector<std::string>{packet});
    EXPECT_EQ(r.lastLine, packet);
    r.link.state = kLinkSampling;
    Receive("OPENING Shutter...");
    EXPECT_EQ(r.link.state, kLinkOpenShutter);
}

TEST_F(InputLoop, FullDataQueueKeepsTheNewest999Lines) {
    InstrumentRecord& r = Connect(kVantor6);
    std::string chunk;
    for (int i = 1; i <= 1000; ++i) chunk += DPacket(static_cast<int16_t>(i)) + "\r";
    Receive(chunk);  // no calibration loaded: the lines wait
    EXPECT_EQ(r.dataQueue.size(), 999);
    EXPECT_EQ(r.dataQueue.GetNext(), DPacket(2));
    EXPECT_EQ(r.terminalQueue.size(), 999);
}

TEST_F(InputLoop, RoutingByLineKind) {
    InstrumentRecord& r = Connect(kVantor6);
    const std::string info = BuildIPacket({});
    HeaderPacketFields h;
    h.time = 1234;
    const std::string header = BuildHPacket(h);
    const std::string bad = BuildDPacket({}, PacketChecksum::kBad);
    const double now = clock.Now();
    Receive(info + "\r" + header + "\r" + bad + "\rprompt>\r" + DPacket(5) + "\r");
    EXPECT_EQ(Drain(r.terminalQueue),
              (std::vector<std::string>{info, header, bad, "prompt>", DPacket(5)}));
    // the information packet is never data; a bad checksum goes to the terminal only
    EXPECT_EQ(Drain(r.dataQueue), std::vector<std::string>{DPacket(5)});
    // and each is counted as the loss it is
    EXPECT_EQ(r.lineCounts.lines, 5);
    EXPECT_EQ(r.lineCounts.badChecksums, 1);
    EXPECT_EQ(r.lineCounts.unknownKind, 1);
    EXPECT_EQ(r.header.time, 1234);
    EXPECT_EQ(r.lastLineTime, now);
    // the data line was routed last, so nothing is left unrouted
    EXPECT_EQ(r.unroutedText, "");
    Receive("prompt>");
    EXPECT_EQ(r.unroutedText, "prompt>");
}

TEST_F(InputLoop, SilenceAfterStartTurnsIntoNoDataButSleepingStays) {
    InstrumentRecord& r = Connect(kVantor6);
    ASSERT_TRUE(SendCommand(program, "START", 0));
    EXPECT_EQ(r.link.state, kLinkStartPending);
    EXPECT_EQ(observer.statusTexts.back(), "Pending");
    Tick(0, 218);  // 10.9 s
    EXPECT_EQ(r.link.state, kLinkStartPending);
    Tick(0, 4);
    EXPECT_EQ(observer.statusTexts.back(), "No Data");
    // data brings it back
    Receive(DPacket(3) + "\r");
    EXPECT_EQ(observer.statusTexts.back(), "Sampling");
    Receive("Starting in 12.5 seconds\r");
    EXPECT_EQ(observer.statusTexts.back(), "Starting:12 s");
    // a sleeping instrument never turns into "No Data"
    Receive("Instrument SLEEPING\r");
    EXPECT_EQ(r.link.state, kLinkSleeping);
    Tick(0, 600);  // 30 s of silence
    EXPECT_EQ(observer.statusTexts.back(), "Sleeping");
}

TEST_F(InputLoop, InstrumentMessages) {
    InstrumentRecord& r = Connect(kTrevan2);
    r.instrumentMessages = true;
    Receive("!Battery low\r");
    EXPECT_EQ(observer.messages, std::vector<std::string>{"SN-0: Battery low"});
    Receive("!Transfer complete\r");  // not one to show
    r.instrumentMessages = false;
    Receive("!Battery low\r");
    EXPECT_EQ(observer.messages.size(), 1u);
}

TEST_F(InputLoop, RawFileGetsEveryChunkAsItCame) {
    TempDir dir;
    InstrumentRecord& r = Connect(kVantor6);
    ASSERT_TRUE(r.recording.files.rawFile.Open(dir.File("live.raw")));
    std::string all;
    for (std::string c : {std::string("ab"), std::string("\x00\xff\r\n", 4), std::string()}) {
        Receive(c);
        all += c;
    }
    Tick();
    EXPECT_FALSE(r.receiving);
    r.recording.files.rawFile.Close();
    EXPECT_EQ(ReadFileBytes(dir.File("live.raw")), all);
    EXPECT_TRUE(r.recording.unsavedData);
}

TEST_F(InputLoop, NoTickRunsInsideATick) {
    // a window that lets events run while it updates (a modal dialog) must not read the port
    // a second time in the middle of a tick
    struct Reentrant : WindowLog {
        ProgramState* program = nullptr;
        void UpdateTerminal(int slot) override {
            ++terminalUpdates;
            ProcessSerialInputTimer_Timer(*program, slot);
        }
    } window;
    window.program = &program;
    InstrumentRecord& r = Connect(kVantor6);
    r.observer = &window;
    Receive("a\r");
    Receive("b\r");
    EXPECT_EQ(window.terminalUpdates, 2);
    EXPECT_EQ(Drain(r.terminalQueue), (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(r.tickRunning);
}

TEST_F(InputLoop, APortThatFailsEndsTheLinkWithWhatItReadKept) {
    InstrumentRecord& r = Connect(kVantor6);
    r.portName = "/dev/fake0";
    r.outputQueue = std::string(25, 'x');
    Port().linkError = "the device hung up";
    Receive("last\r");
    EXPECT_EQ(Drain(r.terminalQueue), (std::vector<std::string>{"last"}));
    const std::string message =
        "The link to the instrument on /dev/fake0 was lost: the device hung up.";
    EXPECT_EQ(prompter.shown, (std::vector<std::string>{message}));
    EXPECT_EQ(r.linkLostText, message);
    EXPECT_FALSE(r.PortOpen());
    EXPECT_FALSE(r.identified);
    // nothing waits on the dead port: queued output is dropped and the waits give up
    EXPECT_TRUE(r.outputQueue.empty());
    EXPECT_EQ(r.cancelRequest, kCancelRequested);
    EXPECT_EQ(observer.statusTexts.back(), "No Connection");
    Tick();
    EXPECT_EQ(prompter.shown.size(), 1u);
}

TEST_F(InputLoop, LiveSamplesAreConvertedWrittenAndPublished) {
    TempDir dir;
    InstrumentRecord& r = Calibrated();
    ASSERT_TRUE(r.recording.files.datFile.Open(dir.File("live.dat")));
    std::vector<CalibratedSample> seen;
    r.sampleSinks.push_back([&seen](int slot, const CalibratedSample& s, const SampleRecord&) {
        EXPECT_EQ(slot, 0);
        seen.push_back(s);
    });
    const std::vector<std::string> lines = {DPacket(100), DPacket(200, 1700000000), DPacket(-300)};
    const double tickTime = clock.Now();
    Receive(lines[0] + "\r" + lines[1] + "\r\n" + lines[2] + "\r");
    r.recording.files.datFile.Close();

    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(r.sampleCount, 3);
    // samples without an instrument time get the computer's
    EXPECT_EQ(seen[0].time, tickTime);
    EXPECT_NE(seen[1].time, tickTime);

    // the rows are those of the same lines converted on their own
    const ConversionContext context(*r.calibration, program.settings.Sigma,
                                    program.settings.bbPrefs);
    std::string expected;
    SampleRecord record{};
    for (const std::string& line : lines) {
        ASSERT_TRUE(DecodeLine(line, kVantor6, record));
        CalibratedSample out;
        ConvertSample(record, context, out);
        if (out.time == 0) out.time = tickTime;
        AppendDatRow(expected, out, kVantor6, program.settings.bbPrefs.IncludeBetaInDatFiles);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("live.dat")), expected);
}

// Nothing is processed without a calibration or while a file is shown; a closed port still
// lets queued lines through, and a line that is no sample ends the tick.
TEST_F(InputLoop, NothingIsProcessedWithoutCalibrationOrWithAFileShown) {
    InstrumentRecord& r = Calibrated();
    r.calibrationLoaded = false;
    Receive(DPacket(1) + "\r");
    EXPECT_EQ(r.dataQueue.size(), 1);
    r.dataQueue.Add("not a sample");
    r.dataQueue.Add(DPacket(2));
    r.calibrationLoaded = true;
    r.recording.files.shownRawFile = "/data/cast.raw";
    Tick();
    EXPECT_EQ(r.dataQueue.size(), 3);
    r.recording.files.shownRawFile.clear();
    r.port->Close();
    Tick();
    EXPECT_EQ(r.sampleCount, 1);
    Tick();
    EXPECT_EQ(r.sampleCount, 2);
    EXPECT_EQ(r.dataQueue.size(), 0);
}

}  // namespace
}  // namespace tidewell::test
