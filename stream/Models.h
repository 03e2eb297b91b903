#pragma once
// The instrument models: type codes, names, families and channel counts.

#include <string>
#include <string_view>

namespace tidewell {

enum InstrumentType : int {
    kVantor6 = 0,
    kVantor4 = 1,
    kVantor2 = 2,
    kALumo = 3,
    kCLumo = 4,
    kXLumo = 5,
    kTrevan2 = 6,
    kUnknownType = 7,
};

// "Vantor-6" .. "Trevan-2"; "unknown" for any other code.
std::string ModelName(int code);
// First code 0..7 whose name matches ignoring case; 8 when none does.
int ModelCode(std::string_view name);

inline bool IsVantorFamily(int code) {
    return code >= 0 && code <= 2;
}
inline bool IsSingleChannel(int code) {
    return code >= 3 && code <= 5;
}
inline bool IsTrevan(int code) {
    return code == 6;
}

// Channel records a calibration of the type uses: 8, 4, 3, 1, 1, 1, 0; -1 for unknown.
int ChannelCount(int code);
// Scattering channels (bChannels): 6, 4, 2, 1, 1, 1, 0; -1 for unknown.
int ScatteringChannelCount(int code);
// Attenuation channels: 1 for the single-channel models, 2 for Trevan-2, else 0.
int AttenuationChannelCount(int code);

}  // namespace tidewell
