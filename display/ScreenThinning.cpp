#include "display/ScreenThinning.h"

#include <algorithm>
#include <cmath>

namespace tidewell {

void ThinForScreen(std::span<const double> keys, std::span<const double> values,
                   const ScreenSpan& span, std::vector<size_t>& kept) {
    const size_t n = std::min(keys.size(), values.size());
    const int pixels = std::max(span.pixels, 1);
    const double width = span.upper - span.lower;
    const double scale = width != 0 ? pixels / width : 0;
    // the pixel row of a key, -1 below the span and `pixels` above it
    auto rowOf = [&](double key) {
        double row = std::floor((key - span.lower) * scale);
        if (row < 0) return -1L;
        if (row >= pixels) return static_cast<long>(pixels);
        return static_cast<long>(row);
    };

    bool inRun = false;
    long runRow = 0;
    size_t first = 0, last = 0, lowest = 0, highest = 0;
    auto endRun = [&] {
        if (!inRun) return;
        inRun = false;
        size_t picks[4] = {first, std::min(lowest, highest), std::max(lowest, highest), last};
        // the picks run in sample order and all come after what is kept already
        for (size_t p : picks) {
            if (kept.empty() || kept.back() < p) kept.push_back(p);
        }
    };

    bool inGap = false;
    for (size_t i = 0; i < n; ++i) {
        const double key = keys[i], value = values[i];
        if (std::isnan(key) || std::isnan(value)) {
            endRun();
            if (!inGap) kept.push_back(i);
            inGap = true;
            continue;
        }
        inGap = false;
        const long row = rowOf(key);
        if (inRun && row == runRow) {
            last = i;
            if (value < values[lowest]) lowest = i;
            if (value > values[highest]) highest = i;
            continue;
        }
        endRun();
        inRun = true;
        runRow = row;
        first = last = lowest = highest = i;
    }
    endRun();
}

}  // namespace tidewell
