#pragma once
// The decoded form of one instrument line, the housekeeping header, and the kinds of line.

#include <cstdint>

namespace tidewell {

// Channel arrays have 13 entries; the decoders fill channels 0 to 7, channel 8 takes part in
// the ratio step, and 9 to 12 stay 0.
inline constexpr int kChannelSlots = 13;

// One decoded line. A decoder writes only the fields its line carries, so a record that is
// reused keeps the earlier values of the others; zero it (`SampleRecord{}`) for a fresh sample.
struct SampleRecord {
    int32_t instrumentType = 0;  // type code of the instrument the line came from
    double time = 0;             // whole seconds of the instrument clock (epoch applied later)
    uint8_t subSecond = 0;       // hundredths of a second
    double dayFraction = 0;      // time of day as a fraction of a day
    int32_t centiseconds = 0;    // time in hundredths of a second
    int16_t tailCode = 0;        // the two digits after the temperature of D and T packets
    float depthCounts = 0;       // raw depth (pressure) reading
    float temperature = 0;       // degrees Celsius (V packets: the unscaled field)
    float voltage = 0;           // supply volts (V packets: the unscaled field)
    float voltage2 = 0;          // second supply voltage
    float auxByte = 0;           // last two-digit field of a V packet
    int16_t gain[kChannelSlots] = {};
    int32_t signal[kChannelSlots] = {};
    int16_t signalOffset[kChannelSlots] = {};
    int32_t reference[kChannelSlots] = {};
    int16_t referenceOffset[kChannelSlots] = {};
    int32_t raw[kChannelSlots] = {};
    float normalized[kChannelSlots] = {};
    int16_t channelCode[kChannelSlots] = {};
    int32_t optionCounts = 0;  // absorption or attenuation option reading of single-channel models
    int16_t infoCode = 0;
    float infoLevel = 0;
    float infoA = 0;
    float infoB = 0;
    float prefixValue = 0;  // leading field of a prefixed decimal line, times 100
};

// The housekeeping header an instrument sends in H packets.
struct HeaderRecord {
    double time = 0;
    // unscaled; the first two are supply voltages times 10
    float housekeeping[4] = {};
    // per channel three 4-digit values and one 2-digit value sign-extended from 8 bits
    int16_t channel[8][4] = {};
};

// What ClassifyLine finds a line to be. Star packets count only with a good checksum.
enum LineKind : int {
    kOtherLine = 0,                   // unknown text, prompts, replies, messages
    kDPacket = 1,                     // eight channels
    kTPacket = 2,                     // eight channels with hundredths of a second
    kHPacket = 3,                     // housekeeping header
    kVPacket = 4,                     // eight channels of signal, reference and offsets
    kAPacket = 5,                     // single channel, absorption option
    kCPacket = 6,                     // single channel, attenuation option
    kIPacket = 7,                     // information, no sample
    kSingleDecimalLine = 8,           // 5 commas
    kSingleDecimalLongLine = 9,       // 11 or 12 commas
    kPrefixedSingleDecimalLine = 10,  // 6 or 13 commas: a prefix field before a kind 8 or 9 line
    kRatioDecimalLine = 11,           // 53 commas
    kPrefixedRatioDecimalLine = 12,   // 54 commas: a prefix field before a kind 11 line
    kTwoChannelLongLine = 13,         // 15 commas
    kTwoChannelShortLine = 14,        // 8 commas
};

}  // namespace tidewell
