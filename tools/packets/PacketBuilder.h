#pragma once
// Builds instrument lines from field values: the star packets with their checksum and the
// decimal lines. The instrument simulator talks with these, and the decoder's tests build their
// packets with them. Lines come without a terminator.
//
// Packet fields hold the values as the instrument sends them (codes and counts, unscaled);
// each is written as hexadecimal of its field's width, negative values in two's complement.

#include <cstdint>
#include <string>

namespace tidewell {

enum class PacketChecksum {
    kGood,           // the byte sum after the "*"
    kIncludingStar,  // the byte sum including the "*", as some instruments send it
    kBad,            // a value that neither rule accepts
};

// D and T packets (60 and 62 characters).
struct ChannelPacketFields {
    int32_t time = 0;
    uint8_t subSecond = 0;  // T packets only, hundredths of a second
    int16_t raw[8] = {};
    uint8_t gain[8] = {};  // one digit each, 0-15
    int16_t depthCounts = 0;
    uint8_t temperatureCode = 0;  // degrees Celsius = code / 5 - 10
    uint8_t tailCode = 0;
};
std::string BuildDPacket(const ChannelPacketFields& f, PacketChecksum c = PacketChecksum::kGood);
std::string BuildTPacket(const ChannelPacketFields& f, PacketChecksum c = PacketChecksum::kGood);

// V packets (176 characters).
struct RatioChannelFields {
    int16_t signal = 0;
    int16_t signalOffset = 0;
    int16_t reference = 0;
    int16_t referenceOffset = 0;
    uint8_t channelCode = 0;
};
struct RatioPacketFields {
    int32_t time = 0;
    RatioChannelFields channel[8] = {};
    uint8_t gain[8] = {};
    int16_t depthCounts = 0;
    uint8_t temperature = 0;
    uint8_t voltage = 0;
    uint8_t voltage2 = 0;
    uint8_t auxByte = 0;
};
std::string BuildVPacket(const RatioPacketFields& f, PacketChecksum c = PacketChecksum::kGood);

// A and C packets of the single-channel models (32 characters).
struct SinglePacketFields {
    int32_t time = 0;
    uint8_t subSecond = 0;
    int16_t signal = 0;
    uint8_t gain = 0;
    int32_t optionCounts = 0;      // signed 24-bit
    uint16_t depthCounts = 0;      // unsigned 16-bit
    uint16_t temperatureCode = 0;  // three digits; degrees Celsius = code / 10 - 10
};
std::string BuildAPacket(const SinglePacketFields& f, PacketChecksum c = PacketChecksum::kGood);
std::string BuildCPacket(const SinglePacketFields& f, PacketChecksum c = PacketChecksum::kGood);

// I packets (22 characters).
struct InfoPacketFields {
    uint8_t voltageCode = 0;  // volts x 10
    int16_t levelCounts = 0;
    uint8_t channelCode = 0;
    uint8_t infoCode = 0;
    int16_t aCounts = 0;
    int16_t bCounts = 0;
};
std::string BuildIPacket(const InfoPacketFields& f, PacketChecksum c = PacketChecksum::kGood);

// H packets (134 characters).
struct HeaderPacketFields {
    int32_t time = 0;
    // per channel three 4-digit values and one 2-digit value (its low 8 bits are sent)
    int16_t channel[8][4] = {};
    // three 2-digit values (the first two supply volts x 10) and one 4-digit value
    int16_t housekeeping[4] = {};
};
std::string BuildHPacket(const HeaderPacketFields& f, PacketChecksum c = PacketChecksum::kGood);

// Decimal lines. Numbers are written in the program's plain form; fields the decoder rounds
// may be given fractions.

// Single-channel lines: 6 fields (5 commas), or the long form of 12 fields (11 commas).
struct SingleDecimalFields {
    double time = 0;  // seconds with hundredths as the fraction
    double signal = 0;
    double gain = 0;
    double optionCounts = 0;
    double depthCounts = 0;
    double temperature = 0;
    // long form only
    double voltage = 0;
    double infoLevel = 0;
    double channelCode = 0;
    double infoCode = 0;
    double infoA = 0;
    double infoB = 0;
};
std::string BuildSingleDecimalLine(const SingleDecimalFields& f, bool longForm);

// Eight-channel lines: 54 fields (53 commas).
struct RatioDecimalChannelFields {
    double signal = 0;
    double signalOffset = 0;
    double reference = 0;
    double referenceOffset = 0;
    double ratio = 0;  // the instrument's own ratio; the program recomputes it
};
struct RatioDecimalFields {
    double centiseconds = 0;
    RatioDecimalChannelFields channel[8] = {};
    double gain[8] = {};
    double temperatureCode = 0;  // degrees Celsius = code / 5 - 10
    double depthCounts = 0;
    double voltageCode = 0;  // volts x 10
    double voltage2Code = 0;
    double lastField = 0;  // field 54, not read by the program
};
std::string BuildRatioDecimalLine(const RatioDecimalFields& f);

// Two-channel lines: 9 fields (8 commas), or the long form of 16 fields (15 commas).
struct TwoChannelDecimalFields {
    double time = 0;  // always written with a decimal point and two decimals
    double signal[2] = {};
    double reference[2] = {};
    double depthCounts = 0;
    double temperatureCode = 0;  // degrees Celsius x 100
    double infoACode = 0;        // x 100
    double infoBCode = 0;        // x 100
    // long form only
    double voltageCode = 0;  // volts x 100
    double infoCode = 0;
    double tail[5] = {};  // fields 12-16, not read by the program
};
std::string BuildTwoChannelDecimalLine(const TwoChannelDecimalFields& f, bool longForm);

}  // namespace tidewell
