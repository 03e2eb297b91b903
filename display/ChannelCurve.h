#pragma once
// The graph against channel of a multi-channel data set: one sample's backscattering against
// the wavelengths of the scattering channels, as the data window's graph holds it (sigma-corrected
// or not, as the window shows). Plain functions; the window draws the results.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "display/GraphModel.h"

namespace tidewell {

struct ChannelCurve {
    double time = 0;                  // the sample's date value
    std::vector<double> wavelengths;  // nm, ascending
    std::vector<double> values;       // one per wavelength
};

// The wavelength a channel name holds as its first number ("bb(470)" and "bb470" give 470);
// 0 when it holds none.
double WavelengthInName(std::string_view name);

// The curve of one point of the graph: the graph's scattering traces at that point, each at
// the wavelength its name holds or else at `calibrationWavelengths[trace]`. A channel with
// neither, or without a value at the point, is left out. Empty for a point the graph does not
// hold.
ChannelCurve ChannelCurveAt(const GraphModel& graph, size_t point,
                            std::span<const double> calibrationWavelengths);

// A curve's label: the date and time of its sample, "YYYY-MM-DD HH:MM:SS".
std::string CurveLabel(double time);

// What the value axis spans: the fixed limits, or all values of `curves` with 5% of their span
// to spare.
struct CurveScale {
    bool automatic = true;
    double min = 0;
    double max = 0.01;
};
AxisRange ValueRange(std::span<const ChannelCurve* const> curves, const CurveScale& scale);
// The wavelengths of `curves` with 10 nm to spare each side.
AxisRange WavelengthRange(std::span<const ChannelCurve* const> curves);

}  // namespace tidewell
