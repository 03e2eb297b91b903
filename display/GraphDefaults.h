#pragma once
// The per-user graph defaults (settings section "GraphDefaults"): the look of a new window's
// graph and its initial scaling.

#include <cstdint>
#include <functional>
#include <string>

namespace tidewell {

inline constexpr const char* kGraphDefaultsSection = "GraphDefaults";

// Traces a graph can hold: one per channel record, the Y2 group's included.
inline constexpr int kMaxGraphTraces = 16;

struct RgbColor {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const RgbColor&) const = default;
};

enum class MarkerShape { Circle, Square, Triangle, Cross };

// One end of an axis: automatic (from the data) or fixed at `value`.
struct AxisEnd {
    bool automatic = true;
    double value = 0;
    bool operator==(const AxisEnd&) const = default;
};

struct AxisLimits {
    AxisEnd min, max;
    bool operator==(const AxisLimits&) const = default;
};

struct GraphDefaults {
    bool GridOn = true;
    int GridStyle = 0;                      // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot
    RgbColor GraphColor{255, 255, 255};     // plot area
    RgbColor GraphExtColor{255, 255, 255};  // outside the plot area
    RgbColor GridColor{0, 0, 0};
    double LineSize = 1;
    double MarkerSize = 1;
    bool feet = false;  // "Units": depth in feet rather than metres
    RgbColor DataColor[kMaxGraphTraces];
    MarkerShape Marker[kMaxGraphTraces] = {};
    bool ChannelOn[kMaxGraphTraces];
    AxisLimits Data{{true, 0}, {true, 0.01}};
    AxisLimits Data2{{true, 0}, {true, 0.1}};
    AxisLimits Depth{{true, 0}, {true, 100}};
    AxisLimits Time{{true, 0}, {true, 100}};

    GraphDefaults();
    bool operator==(const GraphDefaults&) const = default;
};

// Reads a key of section "GraphDefaults": the stored text, or `defaultText` when it is absent.
using GraphSettingReader =
    std::function<std::string(const std::string& key, const std::string& defaultText)>;

// Every key of the section, each with its default; a text that does not read as its kind takes
// the default.
GraphDefaults ReadGraphDefaults(const GraphSettingReader& read);

// The key of a per-channel setting: the name, a blank and the channel ("DataColor 3").
std::string ChannelKey(const std::string& name, int channel);

// Colours are stored as numbers, in the "&H" hexadecimal form with blue in the high byte
// ("&HFF0000" is blue); plain decimal numbers read too.
bool ReadColorText(const std::string& text, RgbColor& color);
std::string ColorText(RgbColor color);

// "Circle", "Square", "Triangle" or "Cross" in any letter case.
bool ReadMarkerText(const std::string& text, MarkerShape& shape);
std::string MarkerText(MarkerShape shape);

}  // namespace tidewell
