#include "stream/Decoder.h"

#include <iterator>

#include "stream/Models.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

LineKind KindOfCommaCount(int commas) {
    switch (commas) {
        case 5:
            return kSingleDecimalLine;
        case 6:
        case 13:
            return kPrefixedSingleDecimalLine;
        case 11:
        case 12:
            return kSingleDecimalLongLine;
        case 53:
            return kRatioDecimalLine;
        case 15:
            return kTwoChannelLongLine;
        case 8:
            return kTwoChannelShortLine;
        default:
            return kOtherLine;
    }
}

LineKind KindOfPacketLetter(char letter) {
    switch (letter) {
        case 'D':
            return kDPacket;
        case 'T':
            return kTPacket;
        case 'H':
            return kHPacket;
        case 'V':
            return kVPacket;
        case 'A':
            return kAPacket;
        case 'C':
            return kCPacket;
        case 'I':
            return kIPacket;
        default:
            return kOtherLine;
    }
}

constexpr const char* kKindNames[] = {
    "other",
    "D packet",
    "T packet",
    "H packet",
    "V packet",
    "A packet",
    "C packet",
    "I packet",
    "single-channel decimal",
    "single-channel decimal, long",
    "single-channel decimal, prefixed",
    "ratio decimal",
    "ratio decimal, prefixed",
    "two-channel decimal, long",
    "two-channel decimal, short",
};

std::string_view AfterFirstComma(std::string_view line) {
    const size_t comma = line.find(',');
    return comma == std::string_view::npos ? std::string_view{} : line.substr(comma + 1);
}

// True when the text at 1-based `position` is `expected`.
bool TextAt(std::string_view line, size_t position, std::string_view expected) {
    return position - 1 + expected.size() <= line.size() &&
           line.substr(position - 1, expected.size()) == expected;
}

// The model whose highest channel in use is `channel` (-1 for none).
int TypeOfHighestChannel(int channel) {
    switch (channel) {
        case 2:
            return kVantor2;
        case 3:
            return kVantor4;
        case 5:
        case 6:
        case 7:
            return kVantor6;
        default:
            return kUnknownType;
    }
}

int HighestNonZero(const int32_t* values, int from) {
    for (int i = from; i >= 0; --i)
        if (values[i] != 0) return i;
    return -1;
}

// Decodes the line as from an unknown instrument and maps its highest channel in use.
int TypeByHighestRaw(std::string_view line) {
    SampleRecord r;
    DecodeLine(line, kUnknownType, r);
    return TypeOfHighestChannel(HighestNonZero(r.raw, 5));
}
int TypeByHighestReference(std::string_view line) {
    SampleRecord r;
    DecodeLine(line, kUnknownType, r);
    return TypeOfHighestChannel(HighestNonZero(r.reference, 7));
}

}  // namespace

const char* LineKindName(LineKind kind) {
    const auto k = static_cast<size_t>(kind);
    return k < std::size(kKindNames) ? kKindNames[k] : kKindNames[0];
}

bool IsDamagedPacket(std::string_view line) {
    return line.size() >= 2 && line[0] == '*' && KindOfPacketLetter(line[1]) != kOtherLine &&
           !ChecksumOk(line);
}

LineKind ClassifyLine(std::string_view line) {
    if (!line.empty() && line[0] == '*' && ChecksumOk(line))
        return line.size() > 1 ? KindOfPacketLetter(line[1]) : kOtherLine;
    const int commas = CountCommas(line);
    if (commas == 54) return kPrefixedRatioDecimalLine;
    if (StartsNumeric(line)) return KindOfCommaCount(commas);
    return kOtherLine;
}

bool DecodeLine(std::string_view line, int instrumentType, SampleRecord& r) {
    r.instrumentType = instrumentType;
    // Star packets are only classified as such when their checksum is good.
    switch (ClassifyLine(line)) {
        case kDPacket:
        case kTPacket:
            DecodeChannelPacket(line, r);
            return true;
        case kVPacket:
            DecodeRatioPacket(line, r);
            ApplyChannelRatios(r);
            return true;
        case kAPacket:
        case kCPacket:
            DecodeSinglePacket(line, r);
            return true;
        case kIPacket:
            DecodeInfoPacket(line, r);
            return false;  // information, not a sample
        case kSingleDecimalLine:
        case kSingleDecimalLongLine:
            DecodeDecimalSample(line, r);
            return true;
        case kPrefixedSingleDecimalLine:
            r.prefixValue = static_cast<float>(ReadDecimal(line) * 100);
            DecodeDecimalSample(AfterFirstComma(line), r);
            return true;
        case kRatioDecimalLine:
            DecodeRatioDecimal(line, r);
            ApplyChannelRatios(r);
            return true;
        case kPrefixedRatioDecimalLine: {
            r.prefixValue = static_cast<float>(LeadingNumber(line) * 100);
            const std::string_view rest = AfterFirstComma(line);
            if (ClassifyLine(rest) == kRatioDecimalLine) {
                DecodeRatioDecimal(rest, r);
                ApplyChannelRatios(r);
            }
            return true;
        }
        case kTwoChannelLongLine:
        case kTwoChannelShortLine:
            DecodeTwoChannelDecimal(line, r);
            return true;
        case kHPacket:
        case kOtherLine:
            break;
    }
    // The single-channel models' decimal lines come in more lengths than the kinds above.
    if (StartsNumeric(line) && IsSingleChannel(instrumentType)) {
        DecodeDecimalSample(line, r);
        return true;
    }
    return false;
}

int GuessInstrumentType(std::string_view line) {
    switch (ClassifyLine(line)) {
        case kAPacket:
            return kALumo;
        case kCPacket:
            return kCLumo;
        case kIPacket:
        case kSingleDecimalLine:
        case kSingleDecimalLongLine:
            return kXLumo;
        case kTwoChannelLongLine:
        case kTwoChannelShortLine:
            return kTrevan2;
        case kDPacket:
            // Gains of unused channels are 0; with channels 2 to 7 all 0 the counts tell.
            if (TextAt(line, 45, "000000")) return TypeByHighestRaw(line);
            if (TextAt(line, 46, "00000")) return kVantor2;
            if (TextAt(line, 47, "0000")) return kVantor4;
            return kVantor6;
        case kTPacket:
            if (TextAt(line, 14, "00000000")) return TypeByHighestRaw(line);
            if (TextAt(line, 48, "000")) return kVantor2;
            if (TextAt(line, 49, "00")) return kVantor4;
            return kVantor6;
        case kVPacket:
        case kRatioDecimalLine:
            return TypeByHighestReference(line);
        case kPrefixedRatioDecimalLine:
            return TypeByHighestReference(AfterFirstComma(line));
        case kHPacket:
        case kPrefixedSingleDecimalLine:
        case kOtherLine:
            break;
    }
    return kUnknownType;
}

}  // namespace tidewell
