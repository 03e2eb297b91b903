#include "calibration/SigmaTable.h"

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>

#include "stream/NumberText.h"

namespace tidewell {

namespace {

// A line "wavelength,value"; fields after the second (a spreadsheet's trailing commas) are
// ignored.
bool ReadPair(std::string_view line, std::pair<double, double>& pair) {
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos) return false;
    std::string_view second = line.substr(comma + 1);
    second = second.substr(0, second.find(','));
    return ReadWholeDecimal(line.substr(0, comma), pair.first) &&
           ReadWholeDecimal(second, pair.second);
}

}  // namespace

SigmaTable ParseSigmaTable(std::string_view text) {
    // Tables saved by some editors start with a byte-order mark.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    SigmaTable table;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::pair<double, double> pair;
        // Reading stops at the first line that is not a pair; what follows is never used.
        if (!ReadPair(line, pair)) break;
        table.rows.push_back(pair);
        start = end + 1;
    }
    return table;
}

SigmaTable LoadSigmaTable(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return ParseSigmaTable(bytes.str());
}

double TableLookup(const SigmaTable& table, double lambda) {
    if (!table.Usable()) return std::numeric_limits<double>::infinity();
    const auto& rows = table.rows;
    auto [x0, y0] = rows[0];
    auto [x1, y1] = rows[1];
    for (size_t next = 2; next < rows.size() && x1 < lambda; ++next) {
        x0 = x1;
        y0 = y1;
        x1 = rows[next].first;
        y1 = rows[next].second;
    }
    if (lambda > x1) return y1;
    if (lambda < x0) return y0;
    if (lambda == x1) return y1;
    return y0 + (lambda - x0) / (x1 - x0) * (y1 - y0);
}

double TableLookup(const std::string& file, double lambda) {
    return TableLookup(LoadSigmaTable(file), lambda);
}

std::string FindShippedTable(const std::string& name, const std::string& programFolder) {
    std::filesystem::path folder(programFolder);
    if (!folder.has_filename()) folder = folder.parent_path();  // "…/bin/" -> "…/bin"
    const std::filesystem::path candidates[] = {
        folder / name,
        folder.parent_path() / "share" / "tidewell" / name,
    };
    for (const auto& candidate : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) return candidate.string();
    }
    return "";
}

}  // namespace tidewell
