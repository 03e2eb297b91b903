#include <random>
#include <string>
#include <vector>

#include "tests/instrument/EngineFixture.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell::test {
namespace {

// Text an instrument might send, good and bad, with every kind of line end.
std::string RandomInstrumentText(std::mt19937& rng, size_t length) {
    static const std::vector<std::string> pieces = [] {
        ChannelPacketFields d;
        d.raw[0] = 1234;
        d.gain[0] = 2;
        // the text lines, "|" between them
        const std::string texts =
            "1,2,3,4,5,6|12,1,2,3,4,5,6,7,8,9,10,11|1,2,3,4,5|Starting in 12.5 seconds|Sleeping|"
            "!Battery low|opening shutter|Closing Shutter..done|End of Cast|Identification: x|"
            "Model: VN6|\r|\n|\r\n|*|,,,,,,,,";
        std::vector<std::string> p(1);
        for (char c : texts) {
            if (c == '|')
                p.emplace_back();
            else
                p.back().push_back(c);
        }
        for (PacketChecksum sum :
             {PacketChecksum::kGood, PacketChecksum::kBad, PacketChecksum::kIncludingStar})
            p.push_back(BuildDPacket(d, sum));
        for (const std::string& packet :
             {BuildTPacket(d), BuildHPacket({}), BuildIPacket({}), BuildVPacket({})})
            p.push_back(packet);
        return p;
    }();
    std::string text;
    while (text.size() < length) {
        if (rng() % 4 == 0) {
            const size_t n = rng() % 8;
            for (size_t i = 0; i < n; ++i) text += static_cast<char>(rng() % 256);
        } else {
            text += pieces[rng() % pieces.size()];
            if (rng() % 3 != 0) text += (rng() % 2) ? "\r" : "\r\n";
        }
    }
    return text;
}

using TickFuzz = EngineTest;

TEST_F(TickFuzz, GarbageNeverBreaksTheLoop) {
    std::mt19937 rng(4242);
    InstrumentRecord& r = Connect(kVantor6);
    r.Calibration().DeviceType = kVantor6;
    r.calibrationLoaded = true;
    r.instrumentMessages = true;
    long samples = 0;
    r.sampleSinks.push_back(
        [&samples](int, const CalibratedSample&, const SampleRecord&) { ++samples; });
    const char* commands[] = {"", "ID", "VER", "WAKE", "BAUD", "LOADCFG", "STORECCL", "X"};
    for (int tick = 0; tick < 3000; ++tick) {
        if (rng() % 50 == 0) r.lastCommand = commands[rng() % 8];
        if (rng() % 200 == 0) {
            r.blockTransfer = !r.blockTransfer;
            if (r.blockTransfer) r.blockReceiver.Start();
        }
        if (rng() % 100 == 0) r.downloading = !r.downloading;
        if (rng() % 100 == 0) r.instrumentType = static_cast<int>(rng() % 9);
        if (rng() % 300 == 0) r.outputQueue += "STOP\r";
        Receive(RandomInstrumentText(rng, rng() % 600));
        ASSERT_LE(r.replyLines.size(), 200u);
        ASSERT_LE(r.dataQueue.size(), 999);
        ASSERT_LE(r.terminalQueue.size(), 999);
        ASSERT_GE(r.link.state, 0);
        ASSERT_LE(r.link.state, 14);
        ASSERT_LE(r.unroutedText.size(), kMaxUnroutedText);
    }
    EXPECT_GT(samples, 0);
    EXPECT_FALSE(Port().written.empty());
}

}  // namespace
}  // namespace tidewell::test
