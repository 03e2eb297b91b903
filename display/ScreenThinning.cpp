#include "display/ScreenThinning.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tidewell {

void FindRowRuns(std::span<const double> keys, const ScreenSpan& span,
                 std::vector<size_t>& runEnds) {
    const size_t n = keys.size();
    const int pixels = std::max(span.pixels, 1);
    const double width = span.upper - span.lower;
    const double rowHeight = width != 0 ? width / pixels : 1;
    const double infinity = std::numeric_limits<double>::infinity();
    // Rows are cut at fixed edges, so that a key falls in the same row whichever run it is in.
    auto edge = [&](double row) { return span.lower + row * rowHeight; };
    size_t i = 0;
    while (i < n) {
        if (std::isnan(keys[i])) {
            while (i < n && std::isnan(keys[i])) ++i;
            runEnds.push_back(i);
            continue;
        }
        double row = std::floor((keys[i] - span.lower) / rowHeight);
        if (keys[i] < edge(row)) {
            row -= 1;  // the division rounded up across an edge
        } else if (keys[i] >= edge(row + 1)) {
            row += 1;
        }
        const double low = row < 0 ? -infinity : row >= pixels ? edge(pixels) : edge(row);
        const double high = row < 0 ? span.lower : row >= pixels ? infinity : edge(row + 1);
        // a NaN key fails the test and ends the run
        for (++i; i < n && keys[i] >= low && keys[i] < high; ++i) {
        }
        runEnds.push_back(i);
    }
}

void ThinRuns(std::span<const double> keys, std::span<const double> values,
              std::span<const size_t> runEnds, std::vector<size_t>& kept) {
    const size_t n = std::min(keys.size(), values.size());
    bool inGap = false;
    size_t start = 0;
    for (size_t runEnd : runEnds) {
        const size_t end = std::min(runEnd, n);
        size_t i = start;
        start = end;
        if (i < end && std::isnan(keys[i])) {
            if (!inGap) kept.push_back(i);
            inGap = true;
            continue;
        }
        while (i < end) {
            if (std::isnan(values[i])) {
                if (!inGap) kept.push_back(i);
                inGap = true;
                ++i;
                continue;
            }
            inGap = false;
            const size_t first = i;
            size_t lowest = i, highest = i;
            double lowValue = values[i], highValue = values[i];
            for (++i; i < end; ++i) {
                const double value = values[i];
                if (std::isnan(value)) break;
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
}

void ThinForScreen(std::span<const double> keys, std::span<const double> values,
                   const ScreenSpan& span, std::vector<size_t>& kept) {
    std::vector<size_t> runEnds;
    FindRowRuns(keys.first(std::min(keys.size(), values.size())), span, runEnds);
    ThinRuns(keys, values, runEnds, kept);
}

}  // namespace tidewell
