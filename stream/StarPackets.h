#pragma once
// Star packets: "*", a letter, fixed-width hexadecimal fields and a two-digit checksum.
// Every reader here takes the line without its terminator and never reads beyond its end: a
// field past the end of a short line reads 0.

#include <string_view>

#include "stream/SampleRecord.h"

namespace tidewell {

// True when the last two characters, read as hexadecimal, equal the byte sum of everything
// between the first character and the checksum, modulo 256. Some instruments include the "*"
// in that sum, so a sum with the first character added passes too.
bool ChecksumOk(std::string_view line);

// D and T packets: time, eight raw channels, gains, depth, temperature, tail code.
void DecodeChannelPacket(std::string_view line, SampleRecord& record);
// V packets: time, per channel signal, reference and their offsets, gains, depth and the
// unscaled temperature and voltages. The ratios are left to ApplyChannelRatios.
void DecodeRatioPacket(std::string_view line, SampleRecord& record);
// A and C packets of the single-channel models; sets instrumentType to 3 (A) or 4 (C).
void DecodeSinglePacket(std::string_view line, SampleRecord& record);
// I packets: voltage and the information values.
void DecodeInfoPacket(std::string_view line, SampleRecord& record);
// H packets, into the connection's header record.
void DecodeHeaderPacket(std::string_view line, HeaderRecord& header);
// Supply voltage of an H packet: the larger of its two voltage fields, in volts.
double HeaderSupplyVoltage(std::string_view line);

// normalized[i] = (signal - signalOffset) / (reference - referenceOffset) for channels 0 to 8;
// a zero denominator leaves normalized[i] at 0.
void ApplyChannelRatios(SampleRecord& record);

}  // namespace tidewell
