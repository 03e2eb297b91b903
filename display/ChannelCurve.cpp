#include "display/ChannelCurve.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "stream/DateValue.h"
#include "stream/Models.h"

namespace tidewell {

namespace {

// The extremes of a set of numbers, widened when they have no span; `fallback` when empty.
AxisRange Spanning(double lower, double upper, double pad, AxisRange fallback) {
    if (!(lower <= upper)) return fallback;
    if (upper == lower) pad = lower != 0 ? std::abs(lower) * 0.05 : 0.5;
    return {lower - pad, upper + pad};
}

template <class Pick>
AxisRange Extremes(std::span<const ChannelCurve* const> curves, Pick pick, double share,
                   double margin, AxisRange fallback) {
    double lower = std::numeric_limits<double>::infinity(), upper = -lower;
    for (const ChannelCurve* s : curves) {
        for (double v : pick(*s)) {
            lower = std::min(lower, v);
            upper = std::max(upper, v);
        }
    }
    return Spanning(lower, upper, (upper - lower) * share + margin, fallback);
}

}  // namespace

double WavelengthInName(std::string_view name) {
    const size_t digit = name.find_first_of("0123456789");
    if (digit == std::string_view::npos) return 0;
    const std::string text(name.substr(digit));
    return std::strtod(text.c_str(), nullptr);
}

ChannelCurve ChannelCurveAt(const GraphModel& graph, size_t point,
                            std::span<const double> calibrationWavelengths) {
    ChannelCurve s;
    if (point >= graph.PointCount()) return s;
    s.time = graph.StartTime() + graph.ElapsedMinutes()[point] / 1440.0;
    const int channels =
        std::min(ScatteringChannelCount(graph.InstrumentType()), graph.Layout().yTraces);
    std::vector<std::pair<double, double>> points;
    for (int t = 0; t < channels; ++t) {
        double wavelength = WavelengthInName(graph.TraceName(t));
        if (wavelength <= 0 && static_cast<size_t>(t) < calibrationWavelengths.size())
            wavelength = calibrationWavelengths[static_cast<size_t>(t)];
        const double value = graph.TraceValues(t)[point];
        if (wavelength > 0 && std::isfinite(value)) points.emplace_back(wavelength, value);
    }
    std::sort(points.begin(), points.end());
    for (const auto& [wavelength, value] : points) {
        s.wavelengths.push_back(wavelength);
        s.values.push_back(value);
    }
    return s;
}

std::string CurveLabel(double time) {
    const CalendarTime t = ToCalendar(time);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

AxisRange ValueRange(std::span<const ChannelCurve* const> curves, const CurveScale& scale) {
    if (!scale.automatic) return {scale.min, scale.max};
    return Extremes(
        curves, [](const ChannelCurve& s) -> const std::vector<double>& { return s.values; }, 0.05,
        0, AxisRange{0, 0.01});
}

AxisRange WavelengthRange(std::span<const ChannelCurve* const> curves) {
    return Extremes(
        curves, [](const ChannelCurve& s) -> const std::vector<double>& { return s.wavelengths; },
        0, 10, AxisRange{400, 700});
}

}  // namespace tidewell
