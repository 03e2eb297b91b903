#include "instrument/SerialPortIo.h"

#include <charconv>

#include "stream/NumberText.h"

namespace tidewell {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool ReadInt(std::string_view s, int64_t& value) {
    s = Trim(s);
    if (s.empty()) return false;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size();
}

}  // namespace

std::optional<PortSettings> ParsePortSettings(std::string_view text) {
    std::string_view fields[4];
    for (int i = 0; i < 4; ++i) {
        const size_t comma = text.find(',');
        if ((comma == std::string_view::npos) != (i == 3)) return std::nullopt;
        fields[i] = text.substr(0, comma);
        if (comma != std::string_view::npos) text.remove_prefix(comma + 1);
    }
    PortSettings s;
    int64_t baud = 0, dataBits = 0, stopBits = 0;
    if (!ReadInt(fields[0], baud) || baud <= 0 || baud > 4000000) return std::nullopt;
    const std::string_view parity = Trim(fields[1]);
    if (parity.size() != 1) return std::nullopt;
    char p = parity[0];
    if (p >= 'a' && p <= 'z') p = static_cast<char>(p - 'a' + 'A');
    if (std::string_view("NEOMS").find(p) == std::string_view::npos) return std::nullopt;
    if (!ReadInt(fields[2], dataBits) || dataBits < 5 || dataBits > 8) return std::nullopt;
    if (!ReadInt(fields[3], stopBits) || stopBits < 1 || stopBits > 2) return std::nullopt;
    s.baud = static_cast<int32_t>(baud);
    s.parity = p;
    s.dataBits = static_cast<int>(dataBits);
    s.stopBits = static_cast<int>(stopBits);
    return s;
}

std::string PortSettingsText(int32_t baud) {
    return PlainInt(baud) + ",N,8,1";
}

}  // namespace tidewell
