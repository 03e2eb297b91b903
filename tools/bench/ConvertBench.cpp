// Conversion speed: samples per second on one core, from the raw line to the calibrated sample
// (decoding and conversion), for each family, and the Vantor-6 conversion alone.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "calibration/Conversion.h"
#include "stream/Decoder.h"
#include "stream/Models.h"
#include "stream/Prompter.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell {
namespace {

constexpr int kLineCount = 1024;

// Sigma settings with a number for a*, so that no table file is needed.
SigmaParams BenchSigma() {
    SigmaParams sigma;
    sigma.aStar = 0.03;
    return sigma;
}

// A calibration of every channel the type has, with real pure-water terms, a temperature
// coefficient and a polynomial sigma.
CalibrationDataClass ScatteringCalibration(int type) {
    static const char* kNames[8] = {"bb(412)", "bb(440)", "bb(488)", "bb(510)",
                                    "bb(532)", "bb(595)", "fl(470)", "fl(530)"};
    SilentPrompter quiet;
    CalibrationDataClass cal;
    cal.DeviceType = type;
    cal.DepthCal = 0.01f;
    cal.CalTemp = 20;
    for (int c = 0; c < cal.ChannelCount(); ++c) {
        cal.SetName(c, kNames[c]);
        cal.SetMu(c, 1, 2.5e-6 * (c + 1));
        cal.SetBeta2bb(c, 1.1);
        cal.SetBTempCoeff(c, 0.001);
        cal.SetSigma(c, 1, 0.01, quiet);
        cal.SetSigma(c, 2, 0.001, quiet);
    }
    cal.SetKTempCoeff(0, 0, 1);
    cal.SetKTempCoeff(0, 1, 0.002f);
    cal.SetTrPure(0, 900000);
    cal.SetTrNought(0, 1000);
    cal.SetKPath(0, 0.25f);
    cal.SetKDepthThresh(0, 0, 20000);
    cal.SetKDepthCoeff(0, 0, 0.01f);
    cal.SetKDepthCoeff(0, 1, 0.02f);
    cal.SetKChi(0, 1, 0.5f);
    cal.CheckAndUpdateAll(BenchSigma(), {}, quiet);
    return cal;
}

CalibrationDataClass TrevanCalibration() {
    CalibrationDataClass cal;
    cal.DeviceType = kTrevan2;
    cal.kp1 = 0.1f, cal.kp2 = 0.001f, cal.P0 = 100, cal.TP0 = 15, cal.kD1 = 0.01f;
    for (int c = 0; c < 2; ++c) {
        cal.SetKS0(c, 100);
        cal.SetKR0(c, 100);
        cal.SetKTPW(c, 20);
        for (int i = 0; i < 6; ++i) {
            cal.SetKkT(c, i, 1.0 / (i + 1));
            cal.SetKkTauP(c, i, 1e-3 / (i + 1));
        }
        cal.SetKP(c, 1, 500);
        cal.SetKP(c, 2, 1500);
        cal.SetKTau0(c, 1);
        cal.SetKL(c, 0.25f);
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
        f.temperatureCode = static_cast<uint8_t>(140 + rng() % 20);
        lines.push_back(BuildDPacket(f));
    }
    return lines;
}

std::vector<std::string> APackets() {
    std::mt19937 rng(6);
    std::vector<std::string> lines;
    for (int n = 0; n < kLineCount; ++n) {
        SinglePacketFields f;
        f.time = 400000000 + n;
        f.subSecond = static_cast<uint8_t>(n % 100);
        f.signal = static_cast<int16_t>(200 + rng() % 3000);
        f.gain = static_cast<uint8_t>(1 + rng() % 3);
        f.optionCounts = static_cast<int32_t>(300000 + rng() % 400000);
        f.depthCounts = static_cast<uint16_t>(rng() % 60000);
        f.temperatureCode = static_cast<uint16_t>(250 + rng() % 100);
        lines.push_back(BuildAPacket(f));
    }
    return lines;
}

std::vector<std::string> TwoChannelLines() {
    std::mt19937 rng(7);
    std::vector<std::string> lines;
    for (int n = 0; n < kLineCount; ++n) {
        TwoChannelDecimalFields f;
        f.time = 1700000000 + n + 0.25;
        for (int c = 0; c < 2; ++c) {
            f.signal[c] = 1000 + rng() % 20000;
            f.reference[c] = 20000 + rng() % 20000;
        }
        f.depthCounts = rng() % 3000;
        f.temperatureCode = 1500 + rng() % 1000;
        f.infoACode = 1234;
        f.infoBCode = 5678;
        f.voltageCode = 1200;
        lines.push_back(BuildTwoChannelDecimalLine(f, true));
    }
    return lines;
}

void DecodeAndConvertLines(benchmark::State& state, const CalibrationDataClass& cal,
                           const std::vector<std::string>& lines, int type) {
    const ConversionContext context(cal, BenchSigma(), PureWaterParams{});
    CalibratedSample sample;
    SampleRecord record;
    size_t i = 0;
    for (auto _ : state) {
        bool converted = DecodeAndConvert(lines[i], context, sample, type, record);
        benchmark::DoNotOptimize(converted);
        benchmark::DoNotOptimize(sample);
        i = (i + 1) % lines.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_DecodeAndConvertVantor6D(benchmark::State& state) {
    DecodeAndConvertLines(state, ScatteringCalibration(kVantor6), DPackets(), kVantor6);
}
void BM_DecodeAndConvertALumoA(benchmark::State& state) {
    DecodeAndConvertLines(state, ScatteringCalibration(kALumo), APackets(), kALumo);
}
void BM_DecodeAndConvertTrevan2Line(benchmark::State& state) {
    DecodeAndConvertLines(state, TrevanCalibration(), TwoChannelLines(), kTrevan2);
}

// The conversion alone, on samples decoded beforehand.
void ConvertRecords(benchmark::State& state, const CalibrationDataClass& cal,
                    const std::vector<std::string>& lines, int type) {
    const ConversionContext context(cal, BenchSigma(), PureWaterParams{});
    std::vector<SampleRecord> records(lines.size());
    for (size_t n = 0; n < lines.size(); ++n) DecodeLine(lines[n], type, records[n]);
    CalibratedSample sample;
    size_t i = 0;
    for (auto _ : state) {
        bool converted = ConvertSample(records[i], context, sample);
        benchmark::DoNotOptimize(converted);
        benchmark::DoNotOptimize(sample);
        i = (i + 1) % records.size();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_ConvertVantor6(benchmark::State& state) {
    ConvertRecords(state, ScatteringCalibration(kVantor6), DPackets(), kVantor6);
}
void BM_ConvertALumo(benchmark::State& state) {
    ConvertRecords(state, ScatteringCalibration(kALumo), APackets(), kALumo);
}
void BM_ConvertTrevan2(benchmark::State& state) {
    ConvertRecords(state, TrevanCalibration(), TwoChannelLines(), kTrevan2);
}

BENCHMARK(BM_DecodeAndConvertVantor6D);
BENCHMARK(BM_DecodeAndConvertALumoA);
BENCHMARK(BM_DecodeAndConvertTrevan2Line);
BENCHMARK(BM_ConvertVantor6);
BENCHMARK(BM_ConvertALumo);
BENCHMARK(BM_ConvertTrevan2);

}  // namespace
}  // namespace tidewell
