#pragma once
// Window places are stored in twips, as the settings have always held them: 15 to a pixel of a
// 96 dpi screen.

#include <cmath>

namespace tidewell::ui {

inline constexpr double kTwipsPerPixel = 15.0;

inline int PixelsFromTwips(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}
inline double TwipsFromPixels(int pixels) {
    return pixels * kTwipsPerPixel;
}

}  // namespace tidewell::ui
