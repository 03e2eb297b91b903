#pragma once
// The Depth, Voltage and Temp. panels of the status bars of the data and terminal windows,
// as texts of the last converted sample.

#include <string>

namespace tidewell {

// Metres: the depth truncated to hundredths + " m"; feet: the depth in feet truncated to
// hundredths + " ft". Truncation is toward minus infinity.
std::string DepthPanelText(float depth, bool feet);
// The temperature in plain form + " C".
std::string TemperaturePanelText(float temperature);
// The voltage in Str form + " V" while the last line is at most 100 s old, else "---".
std::string VoltagePanelText(float voltage, double lastLineTime, double now);
// The time since acquisition began, "h:mm:ss".
std::string ElapsedPanelText(double startTime, double now);

}  // namespace tidewell
