#pragma once
// The data-type codes an axis carries and the titles they give, and the titles the views set.

#include <string>

namespace tidewell {

// Axis data-type codes with a meaning of their own here.
inline constexpr int kAxisNone = 0;  // a Y2 axis with this code is not shown
inline constexpr int kAxisBackscattering = 1;
inline constexpr int kAxisAttenuation = 7;
inline constexpr int kAxisDepthMetres = 13;
inline constexpr int kAxisDepthFeet = 14;
inline constexpr int kAxisElapsedTime = 19;

// The title of an axis by its data-type code; "Unknown data type" for a code without one.
std::string AxisTitle(int code);

// Depth codes lay the axis out as a depth axis; every other code as an ordinary one.
inline bool IsDepthAxisCode(int code) {
    return code == kAxisDepthMetres || code == kAxisDepthFeet;
}

// Titles the views set directly.
inline constexpr const char* kElapsedTimeTitle = "Elapsed Time (minutes)";
inline constexpr const char* kDepthMetresTitle = "Depth (m)";
inline constexpr const char* kDepthFeetTitle = "Depth (ft)";
inline constexpr const char* kBackscatteringTitle = "Backscattering Coefficient (/m)";
inline constexpr const char* kAttenuationCoefficientTitle = "Attenuation Coefficient (/m)";
inline constexpr const char* kVisibilityTitle = "Visibility Distance (ft)";

}  // namespace tidewell
