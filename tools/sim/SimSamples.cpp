#include "tools/sim/SimSamples.h"

#include <algorithm>

#include "stream/Models.h"

namespace tidewell::sim {

namespace {

// Degrees Celsius on the grid of each family's temperature field: 0.2 for the Vantor packets
// (code / 5 - 10), 0.1 for the single-channel packets (code / 10 - 10), 0.01 for Trevan lines.
int32_t TemperatureStep(int model) {
    if (IsVantorFamily(model)) return 20;
    if (IsSingleChannel(model)) return 10;
    return 1;
}

constexpr double kInfoScale = 0.00382;

}  // namespace

SampleSource::SampleSource(int model, uint32_t seed)
    : model_(model), state_(seed * 2654435761u + 1) {
    for (int i = 0; i < 8; ++i) counts_[i] = 1500 + 350 * i;
    reference_[0] = 24000;
    reference_[1] = 23000;
    depth_ = 1200;
    temperature_ = 2000;
    option_ = 120000;
    info_[0] = 2600;
    info_[1] = 13100;
    info_[2] = 13300;
}

uint32_t SampleSource::Random() {
    // xorshift32: small, and the same sequence everywhere
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

int32_t SampleSource::Walk(int32_t& value, int32_t step, int32_t lo, int32_t hi) {
    const int32_t move = static_cast<int32_t>(Random() % 3) - 1;  // -1, 0 or +1 steps
    value = std::clamp(value + move * step, lo, hi);
    return value;
}

SimSample SampleSource::Next(int64_t hundredths) {
    SimSample s;
    s.hundredths = hundredths;
    const int channels = IsTrevan(model_) ? 2 : ChannelCount(model_);
    for (int i = 0; i < channels && i < 8; ++i) {
        s.counts[i] = Walk(counts_[i], 1 + static_cast<int32_t>(Random() % 25), 50, 30000);
        s.gain[i] = static_cast<uint8_t>(IsTrevan(model_) ? 0 : 1 + i % 3);
    }
    if (IsTrevan(model_))
        for (int i = 0; i < 2; ++i) s.reference[i] = Walk(reference_[i], 3, 20000, 30000);
    s.depthCounts = Walk(depth_, 1 + static_cast<int32_t>(Random() % 40), 0, 30000);
    const int32_t step = TemperatureStep(model_);
    temperature_ -= temperature_ % step;
    s.temperatureCentis = Walk(temperature_, step, -200, 3500);
    s.optionCounts = Walk(option_, 1 + static_cast<int32_t>(Random() % 200), -8000000, 8000000);
    s.voltageCentis = 1230;
    s.infoLevelCounts = Walk(info_[0], 2, 0, 32767);
    s.channelCode = 5;
    s.infoCode = 10;
    s.infoACounts = Walk(info_[1], 2, 0, 32767);
    s.infoBCounts = Walk(info_[2], 2, 0, 32767);
    return s;
}

std::vector<std::string> SampleLines(int model, bool decimal, const SimSample& s,
                                     const std::function<PacketChecksum()>& checksum) {
    const int32_t whole = static_cast<int32_t>(s.hundredths / 100);
    const uint8_t sub = static_cast<uint8_t>(s.hundredths % 100);
    std::vector<std::string> lines;
    if (IsVantorFamily(model)) {
        ChannelPacketFields f;
        f.time = whole;
        for (int i = 0; i < 8; ++i) {
            f.raw[i] = static_cast<int16_t>(s.counts[i]);
            f.gain[i] = s.gain[i];
        }
        f.depthCounts = static_cast<int16_t>(s.depthCounts);
        f.temperatureCode = static_cast<uint8_t>(s.temperatureCentis / 20 + 50);
        lines.push_back(BuildDPacket(f, checksum()));
        return lines;
    }
    if (IsTrevan(model)) {
        TwoChannelDecimalFields f;
        f.time = s.Seconds();
        for (int i = 0; i < 2; ++i) {
            f.signal[i] = s.counts[i];
            f.reference[i] = s.reference[i];
        }
        f.depthCounts = s.depthCounts;
        f.temperatureCode = s.temperatureCentis;
        f.infoACode = s.infoACounts;
        f.infoBCode = s.infoBCounts;
        f.voltageCode = s.voltageCentis;
        f.infoCode = s.infoCode;
        lines.push_back(BuildTwoChannelDecimalLine(f, true));
        return lines;
    }
    // single-channel models
    const bool xLumo = model == kXLumo;
    if (!decimal && !xLumo) {
        SinglePacketFields f;
        f.time = whole;
        f.subSecond = sub;
        f.signal = static_cast<int16_t>(s.counts[0]);
        f.gain = s.gain[0];
        f.optionCounts = s.optionCounts;
        f.depthCounts = static_cast<uint16_t>(s.depthCounts);
        f.temperatureCode = static_cast<uint16_t>(s.temperatureCentis / 10 + 100);
        lines.push_back(model == kCLumo ? BuildCPacket(f, checksum())
                                        : BuildAPacket(f, checksum()));
        return lines;
    }
    if (xLumo && !decimal) {
        // in its hexadecimal format the x-Lumo sends its information values as an I packet
        // ahead of the short decimal line
        InfoPacketFields info;
        info.voltageCode = static_cast<uint8_t>(s.voltageCentis / 10);
        info.levelCounts = static_cast<int16_t>(s.infoLevelCounts);
        info.channelCode = static_cast<uint8_t>(s.channelCode);
        info.infoCode = static_cast<uint8_t>(s.infoCode);
        info.aCounts = static_cast<int16_t>(s.infoACounts);
        info.bCounts = static_cast<int16_t>(s.infoBCounts);
        lines.push_back(BuildIPacket(info, checksum()));
    }
    SingleDecimalFields f;
    f.time = s.Seconds();
    f.signal = s.counts[0];
    f.gain = s.gain[0];
    f.optionCounts = xLumo ? 0 : s.optionCounts;
    f.depthCounts = s.depthCounts;
    f.temperature = s.temperatureCentis / 100.0;
    const bool longForm = xLumo && decimal;
    if (longForm) {
        f.voltage = s.voltageCentis / 100.0;
        f.infoLevel = s.infoLevelCounts * kInfoScale;
        f.channelCode = s.channelCode;
        f.infoCode = s.infoCode;
        f.infoA = s.infoACounts * kInfoScale - 50;
        f.infoB = s.infoBCounts * kInfoScale - 50;
    }
    lines.push_back(BuildSingleDecimalLine(f, longForm));
    return lines;
}

std::string HeaderLine(const SimSample& s, PacketChecksum checksum) {
    HeaderPacketFields f;
    f.time = static_cast<int32_t>(s.hundredths / 100);
    for (int i = 0; i < 8; ++i) {
        f.channel[i][0] = static_cast<int16_t>(s.counts[i]);
        f.channel[i][1] = static_cast<int16_t>(100 + i);
        f.channel[i][2] = static_cast<int16_t>(s.gain[i]);
        f.channel[i][3] = static_cast<int16_t>(i - 2);
    }
    f.housekeeping[0] = static_cast<int16_t>(s.voltageCentis / 10);
    f.housekeeping[1] = static_cast<int16_t>(s.voltageCentis / 10 - 2);
    f.housekeeping[2] = static_cast<int16_t>(s.temperatureCentis / 100);
    f.housekeeping[3] = static_cast<int16_t>(s.depthCounts);
    return BuildHPacket(f, checksum);
}

}  // namespace tidewell::sim
