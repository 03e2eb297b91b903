#pragma once
// Decimal lines: comma-separated decimal numbers of the older and stored formats. Field 1 is
// the text before the first comma. Decoding stops quietly at the first field whose comma is
// missing; the fields after it keep what the record held.

#include <string_view>

#include "stream/SampleRecord.h"

namespace tidewell {

// Single-channel lines (5, 11 or 12 commas): time with hundredths, signal, gain, option,
// depth, temperature, voltage and the information values, all unscaled.
void DecodeDecimalSample(std::string_view line, SampleRecord& record);
// Two-channel lines (8 or 15 commas): time, two signals and references, depth, temperature,
// information values and, in the long form, the voltage and information code.
void DecodeTwoChannelDecimal(std::string_view line, SampleRecord& record);
// Eight-channel lines (53 commas): centiseconds, per channel signal, reference and offsets,
// gains, temperature, depth and two voltages. The ratios are left to ApplyChannelRatios.
void DecodeRatioDecimal(std::string_view line, SampleRecord& record);

}  // namespace tidewell
