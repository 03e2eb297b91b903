#include "stream/DecimalLines.h"

#include <algorithm>
#include <cmath>

#include "stream/NumberText.h"

namespace tidewell {

namespace {

// Reads fields 1 to `count` into `values` and returns how many there were. Field 1 is the
// number at the start of the line; the comma of field 2 is searched from `commaSearchStart`
// (or after field 1's number when that is further on), each later comma after the number
// before it.
size_t ReadFields(std::string_view line, double* values, size_t count,
                  size_t commaSearchStart = 0) {
    size_t used = 0;
    values[0] = ReadDecimal(line, used);
    size_t next = std::max(used, commaSearchStart);
    size_t n = 1;
    for (; n < count; ++n) {
        const size_t comma = line.find(',', next);
        if (comma == std::string_view::npos) break;
        values[n] = ReadDecimal(line.substr(comma + 1), used);
        next = comma + 1 + used;
    }
    return n;
}

uint8_t RoundToByte(double value) {
    return static_cast<uint8_t>(std::clamp(RoundToInt32(value), 0, 255));
}

}  // namespace

void DecodeDecimalSample(std::string_view line, SampleRecord& r) {
    double f[12];
    const size_t n = ReadFields(line, f, 12);
    const double whole = std::floor(f[0]);
    r.time = whole;
    r.subSecond = RoundToByte((f[0] - whole) * 100);
    if (n < 2) return;
    r.normalized[0] = static_cast<float>(f[1]);
    r.signal[0] = RoundToInt32(f[1]);
    r.signalOffset[0] = 0;
    r.reference[0] = 1;
    r.referenceOffset[0] = 0;
    if (n < 3) return;
    r.gain[0] = RoundToInt16(f[2]);
    if (n < 4) return;
    r.optionCounts = RoundToInt32(f[3]);
    if (n < 5) return;
    r.depthCounts = static_cast<float>(f[4]);
    if (n < 6) return;
    r.temperature = static_cast<float>(f[5]);
    if (n < 7) return;
    r.voltage = static_cast<float>(f[6]);
    if (n < 8) return;
    r.infoLevel = static_cast<float>(f[7]);
    if (n < 9) return;
    r.channelCode[0] = RoundToInt16(f[8]);
    if (n < 10) return;
    r.infoCode = RoundToInt16(f[9]);
    if (n < 11) return;
    r.infoA = static_cast<float>(f[10]);
    if (n < 12) return;
    r.infoB = static_cast<float>(f[11]);
}

void DecodeTwoChannelDecimal(std::string_view line, SampleRecord& r) {
    // The time field holds a decimal point; its comma is searched after the line's first ".".
    const size_t point = line.find('.');
    const size_t searchStart = point == std::string_view::npos ? 0 : point + 1;
    double f[11];
    const size_t n = ReadFields(line, f, 11, searchStart);
    r.time = f[0];
    r.subSecond = 0;
    int32_t* const counts[4] = {&r.signal[0], &r.signal[1], &r.reference[0], &r.reference[1]};
    for (size_t k = 0; k < 4; ++k) {
        if (n < k + 2) return;
        *counts[k] = RoundToInt32(f[k + 1]);
    }
    if (n < 6) return;
    r.depthCounts = static_cast<float>(f[5]);
    if (n < 7) return;
    r.temperature = static_cast<float>(f[6] / 100);
    if (n < 8) return;
    r.infoA = static_cast<float>(f[7] / 100);
    if (n < 9) return;
    r.infoB = static_cast<float>(f[8] / 100);
    if (n < 10) return;  // the short form ends here
    r.voltage = static_cast<float>(f[9] / 100);
    if (n < 11) return;
    r.infoCode = RoundToInt16(f[10]);
}

void DecodeRatioDecimal(std::string_view line, SampleRecord& r) {
    double f[53];
    const size_t n = ReadFields(line, f, 53);
    r.centiseconds = RoundToInt32(f[0]);
    r.dayFraction = f[0] * (1.0 / 86400) / 100;
    r.time = 0;
    for (size_t i = 0; i < 8; ++i) r.raw[i] = 0;
    // Fields 2-33: four per channel. Fields 34-41 hold the instrument's ratios, which the
    // ratio step recomputes, so they are skipped.
    for (size_t i = 0; i < 8; ++i) {
        const size_t b = 1 + 4 * i;
        if (n <= b) return;
        r.signal[i] = RoundToInt32(f[b]);
        if (n <= b + 1) return;
        r.signalOffset[i] = RoundToInt16(f[b + 1]);
        if (n <= b + 2) return;
        r.reference[i] = RoundToInt32(f[b + 2]);
        if (n <= b + 3) return;
        r.referenceOffset[i] = RoundToInt16(f[b + 3]);
    }
    for (size_t i = 0; i < 8; ++i) {
        if (n <= 41 + i) return;
        r.gain[i] = RoundToInt16(f[41 + i]);
    }
    if (n < 50) return;
    r.temperature = static_cast<float>(f[49] / 5 - 10);
    if (n < 51) return;
    r.depthCounts = static_cast<float>(f[50]);
    if (n < 52) return;
    r.voltage = static_cast<float>(f[51] / 10);
    if (n < 53) return;
    r.voltage2 = static_cast<float>(f[52] / 10);
    r.voltage = std::max(r.voltage, r.voltage2);
}

}  // namespace tidewell
