#include "stream/StatusPanels.h"

#include <cmath>
#include <cstdio>

#include "stream/NumberText.h"

namespace tidewell {

std::string DepthPanelText(float depth, bool feet) {
    const double hundredths = feet ? std::floor(depth * 3937.0 / 12.0) : std::floor(depth * 100.0);
    return PlainDouble(hundredths / 100.0) + (feet ? " ft" : " m");
}

std::string TemperaturePanelText(float temperature) {
    return PlainSingle(temperature) + " C";
}

std::string VoltagePanelText(float voltage, double lastLineTime, double now) {
    // a millisecond of slack: date values carry rounding of their own
    if ((now - lastLineTime) * 86400.0 > 100.001) return "---";
    return StrSingle(voltage) + " V";
}

std::string ElapsedPanelText(double startTime, double now) {
    long long seconds = std::llround((now - startTime) * 86400.0);
    if (seconds < 0) seconds = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

}  // namespace tidewell
