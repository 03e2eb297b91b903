#pragma once
// Table files of the sigma parameters ("aStar.csv" and the like): text lines of two numbers,
// wavelength (nm) first, ascending, no header line. A table is read once into a SigmaTable
// value and looked up from memory.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tidewell {

struct SigmaTable {
    // The leading lines that hold two numbers, up to the first line that does not.
    std::vector<std::pair<double, double>> rows;
    // A table needs two good lines at its start to give any value.
    bool Usable() const { return rows.size() >= 2; }
    bool operator==(const SigmaTable&) const = default;
};

// Parses a table file's text (CR LF or LF line ends).
SigmaTable ParseSigmaTable(std::string_view text);
// Reads a table file; a missing or unreadable file gives an empty table.
SigmaTable LoadSigmaTable(const std::string& path);

// The value at `lambda`: walks the rows until the upper row reaches lambda, then takes the
// upper value beyond the last row, the lower value before the first, and a straight line in
// between. +infinity when the table is not usable.
double TableLookup(const SigmaTable& table, double lambda);
// The same, reading the file first (for one-off lookups; conversions keep a SigmaTable).
double TableLookup(const std::string& file, double lambda);

// Where a shipped table such as "aStar.csv" lives: the program's folder, then
// <prefix>/share/tidewell for a program installed in <prefix>/bin. Returns the full path of the
// first that exists, or "" when neither does.
std::string FindShippedTable(const std::string& name, const std::string& programFolder);

}  // namespace tidewell
