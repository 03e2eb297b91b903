#pragma once
// The 128-byte calibration image of the single-channel instruments: what "dumpcfg" brings back
// and what "LOADCFG" takes. Positions are 1-based; 16-bit values are little-endian unless said.
//
//   1-2    type in the high four bits of byte 1 (A a-Lumo, C c-Lumo, 0 otherwise); the other
//          twelve bits (byte 1 low, then byte 2) are the serial number
//   3      maximum depth / 20
//   4      month count of the serial's date code (see BinaryImageSerial)
//   5-20   label, blank-padded
//   21-24  calibration time, seconds since 1980-01-01
//   25-26  calibration temperature x 100, 16-bit signed, byte 25 high
//   27     depth scale (decimal float)       29  depth offset x 100
//   31     KDepthCoeff(0, 0) x 20000          33  KDepthThresh(0, 0)   35  KDepthCoeff(0, 1) x
//   20000 39     scattering wavelength in the low ten bits, bandwidth in the high six 41-49
//   gain(0, 1..5) (decimal float)      51, 52  DarkOffset(0, 1..2), signed bytes 53-57
//   DarkOffset(0, 3..5)                59  Mu(0) (decimal float) 61-65  Sigma(0, 0..2) (decimal
//   float)     67  beta2bb(0) (decimal float) 69     bTempCoeff(0) x 1000000            71
//   SigmaExp(0) (decimal float) 73     attenuation wavelength and bandwidth, packed as at 39 75-77
//   TrNought, 78-80 TrPure: 24-bit little-endian, sign at 2^23
//
// The decimal float: the top four bits e and the low twelve bits m of a 16-bit value stand for
// m x 10^(3 - e); it holds no negative numbers.

#include <cstdint>
#include <string>
#include <string_view>

#include "calibration/CalibrationData.h"

namespace tidewell {

inline constexpr size_t kBinaryImageBytes = 128;

double DecodeDecimalFloat(uint16_t v);
// The closest decimal float, with as many digits as fit. False when the value is negative, not
// finite or above 4095000 (the value is then clamped).
bool EncodeDecimalFloat(double value, uint16_t& out);

// The image of a single-channel calibration. False when some value could not be represented;
// the image then holds the nearest value that could.
bool BuildBinaryImage(const CalibrationDataClass& cal, std::string& image);

// Reads an image into the calibration's single-channel fields and names the channels as a file
// load does. The type is taken from the image when it tells one.
void LoadBinaryImage(std::string_view image, CalibrationDataClass& cal);

}  // namespace tidewell
