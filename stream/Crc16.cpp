#include "stream/Crc16.h"

namespace tidewell {

uint16_t Crc16Xmodem(std::string_view bytes) {
    uint16_t crc = 0;
    for (char c : bytes) {
        crc ^= static_cast<uint16_t>(static_cast<unsigned char>(c) << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021)
                                 : static_cast<uint16_t>(crc << 1);
        }
    }
    return crc;
}

}  // namespace tidewell
