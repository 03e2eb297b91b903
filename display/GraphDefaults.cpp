#include "display/GraphDefaults.h"

#include <cstdio>

#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

// Channel colours by channel index: the scattering channels of the multi-channel models run
// from the shortest wavelength to the longest, so their colours follow the spectrum; the
// fluorescence channels and the rest take colours of their own.
constexpr RgbColor kChannelColors[kMaxGraphTraces] = {
    {110, 0, 200}, {0, 60, 230},   {0, 160, 210},  {0, 150, 60},    {150, 170, 0}, {240, 120, 0},
    {200, 0, 0},   {160, 0, 110},  {0, 0, 0},      {120, 120, 120}, {140, 80, 30}, {0, 120, 120},
    {0, 0, 120},   {200, 80, 160}, {90, 140, 200}, {120, 60, 0},
};

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

class Reader {
  public:
    explicit Reader(const GraphSettingReader& read) : read_(read) {}

    void Flag(const std::string& key, bool& value) {
        ReadFlagText(read_(key, value ? "1" : "0"), value);
    }
    void Number(const std::string& key, double& value) {
        double number = 0;
        if (ReadWholeDecimal(read_(key, PlainDouble(value)), number)) value = number;
    }
    void Color(const std::string& key, RgbColor& value) {
        ReadColorText(read_(key, ColorText(value)), value);
    }
    void Marker(const std::string& key, MarkerShape& value) {
        ReadMarkerText(read_(key, MarkerText(value)), value);
    }
    // "AutoDataMin", "DataMin" and so on; the second Y axis puts its "2" last ("DataMin2").
    void Axis(const std::string& name, const std::string& suffix, AxisLimits& axis) {
        Flag("Auto" + name + "Min" + suffix, axis.min.automatic);
        Flag("Auto" + name + "Max" + suffix, axis.max.automatic);
        Number(name + "Min" + suffix, axis.min.value);
        Number(name + "Max" + suffix, axis.max.value);
    }

  private:
    const GraphSettingReader& read_;
};

}  // namespace

GraphDefaults::GraphDefaults() {
    for (int c = 0; c < kMaxGraphTraces; ++c) {
        DataColor[c] = kChannelColors[c];
        ChannelOn[c] = true;
    }
}

GraphDefaults ReadGraphDefaults(const GraphSettingReader& read) {
    GraphDefaults d;
    Reader r(read);
    r.Flag("GridOn", d.GridOn);
    double gridStyle = d.GridStyle;
    r.Number("GridStyle", gridStyle);
    if (gridStyle >= 0 && gridStyle <= 4) d.GridStyle = static_cast<int>(gridStyle);
    r.Color("GraphColor", d.GraphColor);
    r.Color("GraphExtColor", d.GraphExtColor);
    r.Color("GridColor", d.GridColor);
    r.Number("LineSize", d.LineSize);
    r.Number("MarkerSize", d.MarkerSize);
    r.Flag("Units", d.feet);
    for (int c = 0; c < kMaxGraphTraces; ++c) {
        r.Color(ChannelKey("DataColor", c), d.DataColor[c]);
        r.Marker(ChannelKey("Marker", c), d.Marker[c]);
        r.Flag(ChannelKey("ChannelOn", c), d.ChannelOn[c]);
    }
    r.Axis("Data", "", d.Data);
    r.Axis("Data", "2", d.Data2);
    r.Axis("Depth", "", d.Depth);
    r.Axis("Time", "", d.Time);
    return d;
}

std::string ChannelKey(const std::string& name, int channel) {
    return name + StrInt(channel);
}

bool ReadColorText(const std::string& text, RgbColor& color) {
    std::string t = Trimmed(text);
    uint64_t value = 0;
    if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h')) {
        size_t i = 2;
        for (; i < t.size() && HexDigitValue(t[i]) >= 0; ++i) {
            value = value * 16 + static_cast<uint64_t>(HexDigitValue(t[i]));
            if (value > 0xFFFFFF) return false;
        }
        // a trailing "&" marks a long constant
        if (i == 2 || (i < t.size() && !(i + 1 == t.size() && t[i] == '&'))) return false;
    } else {
        double number = 0;
        if (!ReadWholeDecimal(t, number) || number < 0 || number > 0xFFFFFF ||
            number != static_cast<double>(static_cast<uint64_t>(number)))
            return false;
        value = static_cast<uint64_t>(number);
    }
    color = {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
             static_cast<uint8_t>((value >> 16) & 0xFF)};
    return true;
}

std::string ColorText(RgbColor color) {
    char text[16];
    unsigned value = color.r | (color.g << 8) | (color.b << 16);
    std::snprintf(text, sizeof text, "&H%X", value);
    return text;
}

bool ReadMarkerText(const std::string& text, MarkerShape& shape) {
    for (MarkerShape s :
         {MarkerShape::Circle, MarkerShape::Square, MarkerShape::Triangle, MarkerShape::Cross}) {
        if (EqualsIgnoringCase(Trimmed(text), MarkerText(s))) {
            shape = s;
            return true;
        }
    }
    return false;
}

std::string MarkerText(MarkerShape shape) {
    switch (shape) {
        case MarkerShape::Square:
            return "Square";
        case MarkerShape::Triangle:
            return "Triangle";
        case MarkerShape::Cross:
            return "Cross";
        default:
            return "Circle";
    }
}

}  // namespace tidewell
