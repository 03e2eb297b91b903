// Calibrated data file speed: rows per second on one core, alone and with the decoding and the
// conversion in front of them. The target for a Vantor-6 is a million samples from raw line to
// calibrated row in well under a second.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "calibration/Conversion.h"
#include "files/DatFile.h"
#include "stream/Models.h"
#include "stream/Prompter.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell {
namespace {

constexpr int kLineCount = 1024;

CalibrationDataClass Vantor6Calibration() {
    static const char* kNames[8] = {"bb(412)", "bb(440)", "bb(488)", "bb(510)",
                                    "bb(532)", "bb(595)", "fl(470)", "fl(530)"};
    SilentPrompter quiet;
    CalibrationDataClass cal;
    cal.DeviceType = kVantor6;
    cal.DepthCal = 0.01f;
    for (int c = 0; c < 8; ++c) {
        cal.SetName(c, kNames[c]);
        cal.SetMu(c, 1, 2.5e-6 * (c + 1));
        cal.SetBeta2bb(c, 1.1);
        cal.SetSigma(c, 1, 0.01, quiet);
    }
    return cal;
}

std::vector<std::string> DPackets() {
    std::mt19937 rng(5);
    std::vector<std::string> lines;
    for (int n = 0; n < kLineCount; ++n) {
        ChannelPacketFields f;
        f.time = 1700000000 + n;
        for (int i = 0; i < 8; ++i)
            f.raw[i] = static_cast<int16_t>(200 + rng() % 3000), f.gain[i] = 1 + rng() % 3;
        f.depthCounts = static_cast<int16_t>(rng() % 30000);
        f.temperatureCode = 150;
        lines.push_back(BuildDPacket(f));
    }
    return lines;
}

// Argument 1: with the beta columns (34 numbers a row instead of 18).
void BM_WriteDatRowVantor6(benchmark::State& state) {
    const CalibrationDataClass cal = Vantor6Calibration();
    const SigmaParams sigma;
    const PureWaterParams pureWater;
    const ConversionContext context(cal, sigma, pureWater);
    std::vector<CalibratedSample> samples(kLineCount);
    const std::vector<std::string> lines = DPackets();
    for (int n = 0; n < kLineCount; ++n) DecodeAndConvert(lines[n], context, samples[n], kVantor6);
    DataFileWriter file;
    file.Open("/dev/null");
    size_t i = 0;
    for (auto _ : state) {
        WriteDatRow(file, samples[i], kVantor6, state.range(0) != 0);
        i = (i + 1) % samples.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_RawLineToDatRowVantor6(benchmark::State& state) {
    const CalibrationDataClass cal = Vantor6Calibration();
    const SigmaParams sigma;
    const PureWaterParams pureWater;
    const ConversionContext context(cal, sigma, pureWater);
    const std::vector<std::string> lines = DPackets();
    DataFileWriter file;
    file.Open("/dev/null");
    CalibratedSample sample;
    SampleRecord record;
    size_t i = 0;
    for (auto _ : state) {
        if (DecodeAndConvert(lines[i], context, sample, kVantor6, record))
            WriteDatRow(file, sample, kVantor6, state.range(0) != 0);
        i = (i + 1) % lines.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

BENCHMARK(BM_WriteDatRowVantor6)->Arg(0)->Arg(1);
BENCHMARK(BM_RawLineToDatRowVantor6)->Arg(0)->Arg(1);

}  // namespace
}  // namespace tidewell
