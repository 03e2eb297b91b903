#include "display/ScreenThinning.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tidewell {

void ThinForScreen(std::span<const double> keys, std::span<const double> values,
                   const ScreenSpan& span, std::vector<size_t>& kept) {
    const size_t n = std::min(keys.size(), values.size());
    const int pixels = std::max(span.pixels, 1);
    const double width = span.upper - span.lower;
    const double rowHeight = width != 0 ? width / pixels : 1;
    const double infinity = std::numeric_limits<double>::infinity();
    // Rows are cut at fixed edges, so that a key falls in the same row whichever run it is in.
    // Below the span is one row, and above it one more.
    auto edge = [&](double row) { return span.lower + row * rowHeight; };
    auto rowBounds = [&](double key, double& low, double& high) {
        double row = std::floor((key - span.lower) / rowHeight);
        if (key < edge(row)) {
            row -= 1;  // the division rounded up across an edge
        } else if (key >= edge(row + 1)) {
            row += 1;
        }
        low = row < 0 ? -infinity : row >= pixels ? edge(pixels) : edge(row);
        high = row < 0 ? span.lower : row >= pixels ? infinity : edge(row + 1);
    };

    size_t i = 0;
    while (i < n) {
        // a gap: kept once, however long
        if (std::isnan(keys[i]) || std::isnan(values[i])) {
            kept.push_back(i);
            while (i < n && (std::isnan(keys[i]) || std::isnan(values[i]))) ++i;
            continue;
        }
        // a run: the points from i on whose key stays in this row
        double low, high;
        rowBounds(keys[i], low, high);
        const size_t first = i;
        size_t lowest = i, highest = i;
        double lowValue = values[i], highValue = values[i];
        for (++i; i < n; ++i) {
            const double key = keys[i], value = values[i];
            // a NaN key fails both tests and ends the run
            if (!(key >= low && key < high) || std::isnan(value)) break;
            if (value < lowValue) {
                lowValue = value;
                lowest = i;
            } else if (value > highValue) {
                highValue = value;
                highest = i;
            }
        }
        // the picks run in sample order and all come after what is kept already
        const size_t last = i - 1;
        for (size_t p : {first, std::min(lowest, highest), std::max(lowest, highest), last}) {
            if (kept.empty() || kept.back() < p) kept.push_back(p);
        }
    }
}

}  // namespace tidewell
