#include "stream/StarPackets.h"

#include <algorithm>

#include "stream/TextHelpers.h"

namespace tidewell {

bool ChecksumOk(std::string_view line) {
    const size_t n = line.size();
    if (n < 2) return false;
    const uint32_t expected = static_cast<uint32_t>(HexField(line, n - 1, 2));
    uint32_t sum = 0;
    for (size_t i = 1; i + 2 < n; ++i) sum += static_cast<unsigned char>(line[i]);
    if ((sum & 0xFF) == expected) return true;
    return ((sum + static_cast<unsigned char>(line[0])) & 0xFF) == expected;
}

void DecodeChannelPacket(std::string_view line, SampleRecord& r) {
    // A T packet is a D packet with the hundredths of a second after the time.
    const size_t d = line.size() > 1 && line[1] == 'T' ? 2 : 0;
    r.time = HexField(line, 3, 8);
    r.subSecond = d ? static_cast<uint8_t>(HexField(line, 11, 2)) : 0;
    for (size_t i = 0; i < 8; ++i) {
        r.raw[i] = HexField(line, 11 + d + 4 * i, 4);
        r.gain[i] = static_cast<int16_t>(HexField(line, 43 + d + i, 1));
    }
    r.depthCounts = static_cast<float>(HexField(line, 51 + d, 4));
    r.temperature = static_cast<float>(HexField(line, 55 + d, 2) / 5.0 - 10);
    r.tailCode = static_cast<int16_t>(HexField(line, 57 + d, 2));
}

void DecodeRatioPacket(std::string_view line, SampleRecord& r) {
    r.time = HexField(line, 3, 8);
    for (size_t i = 0; i < 8; ++i) {
        const size_t b = 11 + 18 * i;
        r.signal[i] = HexField(line, b, 4);
        r.signalOffset[i] = static_cast<int16_t>(HexField(line, b + 4, 4));
        r.reference[i] = HexField(line, b + 8, 4);
        r.referenceOffset[i] = static_cast<int16_t>(HexField(line, b + 12, 4));
        r.channelCode[i] = static_cast<int16_t>(HexField(line, b + 16, 2));
        r.gain[i] = static_cast<int16_t>(HexField(line, 155 + i, 1));
    }
    r.depthCounts = static_cast<float>(HexField(line, 163, 4));
    r.temperature = static_cast<float>(HexField(line, 167, 2));
    r.voltage = static_cast<float>(HexField(line, 169, 2));
    r.voltage2 = static_cast<float>(HexField(line, 171, 2));
    r.auxByte = static_cast<float>(HexField(line, 173, 2));
}

void DecodeSinglePacket(std::string_view line, SampleRecord& r) {
    // The letter tells the model, whatever the caller thought it was talking to.
    r.instrumentType = line.size() > 1 && line[1] == 'C' ? 4 : 3;
    r.time = HexField(line, 3, 8);
    r.subSecond = static_cast<uint8_t>(HexField(line, 11, 2));
    r.signal[0] = HexField(line, 13, 4);
    r.normalized[0] = static_cast<float>(r.signal[0]);
    r.signalOffset[0] = 0;
    r.gain[0] = static_cast<int16_t>(HexField(line, 17, 1));
    int32_t option = HexField(line, 18, 6);
    if (option >= 0x800000) option -= 0x1000000;  // signed 24-bit
    r.optionCounts = option;
    int32_t depth = HexField(line, 24, 4);
    if (depth < 0) depth += 65536;  // the single-channel models' depth is unsigned
    r.depthCounts = static_cast<float>(depth);
    r.temperature = static_cast<float>(HexField(line, 28, 3) / 10.0 - 10);
}

void DecodeInfoPacket(std::string_view line, SampleRecord& r) {
    constexpr double kCountScale = 0.00382;
    r.voltage = static_cast<float>(HexField(line, 3, 2) / 10.0);
    r.infoLevel = static_cast<float>(HexField(line, 5, 4) * kCountScale);
    r.channelCode[0] = static_cast<int16_t>(HexField(line, 9, 2));
    r.infoCode = static_cast<int16_t>(HexField(line, 11, 2));
    r.infoA = static_cast<float>(HexField(line, 13, 4) * kCountScale - 50);
    r.infoB = static_cast<float>(HexField(line, 17, 4) * kCountScale - 50);
}

void DecodeHeaderPacket(std::string_view line, HeaderRecord& h) {
    h.time = HexField(line, 3, 8);
    for (size_t i = 0; i < 8; ++i) {
        const size_t b = 11 + 14 * i;
        for (size_t k = 0; k < 3; ++k)
            h.channel[i][k] = static_cast<int16_t>(HexField(line, b + 4 * k, 4));
        h.channel[i][3] = static_cast<int8_t>(HexField(line, b + 12, 2));
    }
    h.housekeeping[0] = static_cast<float>(HexField(line, 123, 2));
    h.housekeeping[1] = static_cast<float>(HexField(line, 125, 2));
    h.housekeeping[2] = static_cast<float>(HexField(line, 127, 2));
    h.housekeeping[3] = static_cast<float>(HexField(line, 129, 4));
}

double HeaderSupplyVoltage(std::string_view line) {
    return std::max(HexField(line, 123, 2), HexField(line, 125, 2)) / 10.0;
}

void ApplyChannelRatios(SampleRecord& r) {
    for (int i = 0; i <= 8; ++i) {
        const int64_t denominator = int64_t{r.reference[i]} - r.referenceOffset[i];
        if (denominator == 0) {
            r.normalized[i] = 0;
            continue;
        }
        const int64_t numerator = int64_t{r.signal[i]} - r.signalOffset[i];
        r.normalized[i] =
            static_cast<float>(static_cast<double>(numerator) / static_cast<double>(denominator));
    }
}

}  // namespace tidewell
