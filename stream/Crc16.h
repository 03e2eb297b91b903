#pragma once
// The 16-bit check of the 128-byte block transfer: polynomial 1021 hexadecimal, initial value 0,
// most significant bit first (the CRC variant of the XMODEM protocol).

#include <cstdint>
#include <string_view>

namespace tidewell {

uint16_t Crc16Xmodem(std::string_view bytes);

}  // namespace tidewell
