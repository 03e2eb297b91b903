#include "tools/packets/PacketBuilder.h"

#include <charconv>
#include <utility>

#include "stream/NumberText.h"

namespace tidewell {

namespace {

// The low 4 x `width` bits of the value as upper-case hexadecimal.
void AppendHex(std::string& out, int64_t value, int width) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto bits = static_cast<uint64_t>(value);
    for (int shift = 4 * (width - 1); shift >= 0; shift -= 4) out += kDigits[(bits >> shift) & 15];
}

// Appends the two checksum digits to a packet that starts with "*".
std::string Finish(std::string packet, PacketChecksum c) {
    unsigned sum = 0;
    for (size_t i = 1; i < packet.size(); ++i) sum += static_cast<unsigned char>(packet[i]);
    if (c == PacketChecksum::kIncludingStar) sum += static_cast<unsigned char>('*');
    // One more than the sum without the "*" is neither it nor the sum with it.
    if (c == PacketChecksum::kBad) sum += 1;
    AppendHex(packet, sum & 0xFF, 2);
    return packet;
}

std::string Start(char letter, size_t length) {
    std::string s;
    s.reserve(length);
    s += '*';
    s += letter;
    return s;
}

std::string BuildChannelPacket(char letter, const ChannelPacketFields& f, PacketChecksum c) {
    std::string s = Start(letter, 62);
    AppendHex(s, f.time, 8);
    if (letter == 'T') AppendHex(s, f.subSecond, 2);
    for (int16_t v : f.raw) AppendHex(s, v, 4);
    for (uint8_t g : f.gain) AppendHex(s, g, 1);
    AppendHex(s, f.depthCounts, 4);
    AppendHex(s, f.temperatureCode, 2);
    AppendHex(s, f.tailCode, 2);
    return Finish(std::move(s), c);
}

std::string BuildSinglePacket(char letter, const SinglePacketFields& f, PacketChecksum c) {
    std::string s = Start(letter, 32);
    AppendHex(s, f.time, 8);
    AppendHex(s, f.subSecond, 2);
    AppendHex(s, f.signal, 4);
    AppendHex(s, f.gain, 1);
    AppendHex(s, f.optionCounts, 6);
    AppendHex(s, f.depthCounts, 4);
    AppendHex(s, f.temperatureCode, 3);
    return Finish(std::move(s), c);
}

void AppendField(std::string& out, double value) {
    out += ',';
    AppendSignificant(out, value, 15);
}

}  // namespace

std::string BuildDPacket(const ChannelPacketFields& f, PacketChecksum c) {
    return BuildChannelPacket('D', f, c);
}
std::string BuildTPacket(const ChannelPacketFields& f, PacketChecksum c) {
    return BuildChannelPacket('T', f, c);
}

std::string BuildVPacket(const RatioPacketFields& f, PacketChecksum c) {
    std::string s = Start('V', 176);
    AppendHex(s, f.time, 8);
    for (const RatioChannelFields& ch : f.channel) {
        AppendHex(s, ch.signal, 4);
        AppendHex(s, ch.signalOffset, 4);
        AppendHex(s, ch.reference, 4);
        AppendHex(s, ch.referenceOffset, 4);
        AppendHex(s, ch.channelCode, 2);
    }
    for (uint8_t g : f.gain) AppendHex(s, g, 1);
    AppendHex(s, f.depthCounts, 4);
    AppendHex(s, f.temperature, 2);
    AppendHex(s, f.voltage, 2);
    AppendHex(s, f.voltage2, 2);
    AppendHex(s, f.auxByte, 2);
    return Finish(std::move(s), c);
}

std::string BuildAPacket(const SinglePacketFields& f, PacketChecksum c) {
    return BuildSinglePacket('A', f, c);
}
std::string BuildCPacket(const SinglePacketFields& f, PacketChecksum c) {
    return BuildSinglePacket('C', f, c);
}

std::string BuildIPacket(const InfoPacketFields& f, PacketChecksum c) {
    std::string s = Start('I', 22);
    AppendHex(s, f.voltageCode, 2);
    AppendHex(s, f.levelCounts, 4);
    AppendHex(s, f.channelCode, 2);
    AppendHex(s, f.infoCode, 2);
    AppendHex(s, f.aCounts, 4);
    AppendHex(s, f.bCounts, 4);
    return Finish(std::move(s), c);
}

std::string BuildHPacket(const HeaderPacketFields& f, PacketChecksum c) {
    std::string s = Start('H', 134);
    AppendHex(s, f.time, 8);
    for (const auto& ch : f.channel) {
        AppendHex(s, ch[0], 4);
        AppendHex(s, ch[1], 4);
        AppendHex(s, ch[2], 4);
        AppendHex(s, ch[3], 2);
    }
    AppendHex(s, f.housekeeping[0], 2);
    AppendHex(s, f.housekeeping[1], 2);
    AppendHex(s, f.housekeeping[2], 2);
    AppendHex(s, f.housekeeping[3], 4);
    return Finish(std::move(s), c);
}

std::string BuildSingleDecimalLine(const SingleDecimalFields& f, bool longForm) {
    std::string s;
    AppendSignificant(s, f.time, 15);
    for (double v : {f.signal, f.gain, f.optionCounts, f.depthCounts, f.temperature})
        AppendField(s, v);
    if (longForm)
        for (double v : {f.voltage, f.infoLevel, f.channelCode, f.infoCode, f.infoA, f.infoB})
            AppendField(s, v);
    return s;
}

std::string BuildRatioDecimalLine(const RatioDecimalFields& f) {
    std::string s;
    AppendSignificant(s, f.centiseconds, 15);
    for (const RatioDecimalChannelFields& ch : f.channel)
        for (double v : {ch.signal, ch.signalOffset, ch.reference, ch.referenceOffset})
            AppendField(s, v);
    for (const RatioDecimalChannelFields& ch : f.channel) AppendField(s, ch.ratio);
    for (double g : f.gain) AppendField(s, g);
    for (double v : {f.temperatureCode, f.depthCounts, f.voltageCode, f.voltage2Code, f.lastField})
        AppendField(s, v);
    return s;
}

std::string BuildTwoChannelDecimalLine(const TwoChannelDecimalFields& f, bool longForm) {
    // The reader finds the end of the time field after its decimal point, so it always has one.
    char time[64];
    auto res = std::to_chars(time, time + sizeof time, f.time, std::chars_format::fixed, 2);
    std::string s(time, res.ptr);
    for (double v : {f.signal[0], f.signal[1], f.reference[0], f.reference[1], f.depthCounts,
                     f.temperatureCode, f.infoACode, f.infoBCode})
        AppendField(s, v);
    if (longForm) {
        AppendField(s, f.voltageCode);
        AppendField(s, f.infoCode);
        for (double v : f.tail) AppendField(s, v);
    }
    return s;
}

}  // namespace tidewell
