// Decoding speed: lines per second on one core, by kind of line. The target is at least
// 10 million D packets per second.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "stream/Decoder.h"
#include "stream/Models.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell {
namespace {

// Varied lines, so that the timing does not depend on one line's digits.
constexpr int kLineCount = 1024;

int16_t Counts(std::mt19937& rng) {
    return static_cast<int16_t>(rng() % 65536);
}

std::vector<std::string> ChannelPackets(bool withHundredths) {
    std::mt19937 rng(1);
    std::vector<std::string> lines;
    for (int n = 0; n < kLineCount; ++n) {
        ChannelPacketFields f;
        f.time = 1700000000 + n;
        f.subSecond = static_cast<uint8_t>(n % 100);
        for (int i = 0; i < 8; ++i) f.raw[i] = Counts(rng), f.gain[i] = rng() % 16;
        f.depthCounts = Counts(rng);
        f.temperatureCode = static_cast<uint8_t>(rng());
        lines.push_back(withHundredths ? BuildTPacket(f) : BuildDPacket(f));
    }
    return lines;
}

std::vector<std::string> RatioPackets() {
    std::mt19937 rng(2);
    std::vector<std::string> lines;
    for (int n = 0; n < kLineCount; ++n) {
        RatioPacketFields f;
        f.time = 1700000000 + n;
        for (auto& ch : f.channel)
            ch = {Counts(rng), Counts(rng), Counts(rng), Counts(rng), static_cast<uint8_t>(rng())};
        lines.push_back(BuildVPacket(f));
    }
    return lines;
}

std::vector<std::string> SinglePackets() {
    std::mt19937 rng(3);
    std::vector<std::string> lines;
    for (int n = 0; n < kLineCount; ++n) {
        SinglePacketFields f;
        f.time = 400000000 + n;
        f.signal = Counts(rng);
        f.optionCounts = static_cast<int32_t>(rng() % 0x1000000) - 0x800000;
        f.depthCounts = static_cast<uint16_t>(rng());
        f.temperatureCode = static_cast<uint16_t>(rng() % 0x1000);
        lines.push_back(BuildAPacket(f));
    }
    return lines;
}

std::vector<std::string> RatioDecimalLines() {
    std::mt19937 rng(4);
    std::vector<std::string> lines;
    for (int n = 0; n < kLineCount; ++n) {
        RatioDecimalFields f;
        f.centiseconds = 3600000 + n;
        for (auto& ch : f.channel) {
            ch = {double(rng() % 4096), double(rng() % 50), double(rng() % 4096),
                  double(rng() % 50), 0};
            ch.ratio = (ch.signal - ch.signalOffset) / (ch.reference - ch.referenceOffset);
        }
        for (double& g : f.gain) g = rng() % 4;
        f.temperatureCode = 150, f.depthCounts = rng() % 30000;
        f.voltageCode = 120, f.voltage2Code = 118;
        lines.push_back(BuildRatioDecimalLine(f));
    }
    return lines;
}

void DecodeLines(benchmark::State& state, const std::vector<std::string>& lines) {
    SampleRecord record;
    size_t i = 0;
    for (auto _ : state) {
        bool sample = DecodeLine(lines[i], kVantor6, record);
        benchmark::DoNotOptimize(sample);
        benchmark::DoNotOptimize(record);
        i = (i + 1) % lines.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_DecodeDPacket(benchmark::State& state) {
    DecodeLines(state, ChannelPackets(false));
}
void BM_DecodeTPacket(benchmark::State& state) {
    DecodeLines(state, ChannelPackets(true));
}
void BM_DecodeVPacket(benchmark::State& state) {
    DecodeLines(state, RatioPackets());
}
void BM_DecodeAPacket(benchmark::State& state) {
    DecodeLines(state, SinglePackets());
}
void BM_DecodeRatioDecimalLine(benchmark::State& state) {
    DecodeLines(state, RatioDecimalLines());
}

void BM_ClassifyDPacket(benchmark::State& state) {
    const std::vector<std::string> lines = ChannelPackets(false);
    size_t i = 0;
    for (auto _ : state) {
        LineKind kind = ClassifyLine(lines[i]);
        benchmark::DoNotOptimize(kind);
        i = (i + 1) % lines.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

BENCHMARK(BM_DecodeDPacket);
BENCHMARK(BM_DecodeTPacket);
BENCHMARK(BM_DecodeVPacket);
BENCHMARK(BM_DecodeAPacket);
BENCHMARK(BM_DecodeRatioDecimalLine);
BENCHMARK(BM_ClassifyDPacket);

}  // namespace
}  // namespace tidewell
