#pragma once
// Thinning of a trace in screen space before it is drawn. A plot against depth keeps its points
// in sample order (down and up casts), so it cannot be sampled like a plot against time; instead
// each run of consecutive points that falls on one pixel row of the depth axis is cut down to
// its first point, the points with its least and greatest value, and its last point, in sample
// order. What is drawn then covers the same pixels as the whole run, however many points the
// run held: a million points over a cast become a few thousand.

#include <cstddef>
#include <span>
#include <vector>

namespace tidewell {

// The visible span of the key axis (the one the runs are cut along) and its length in pixels.
struct ScreenSpan {
    double lower = 0;
    double upper = 1;
    int pixels = 1;
};

// Cuts the keys into runs of consecutive points on one pixel row and appends the end (one past
// the last point) of each run to `runEnds`. Points outside the span gather in one row below it
// and one above it, so lines into the view keep their direction; consecutive NaN keys make a
// run of their own. The traces of a plot share their keys, so this is done once for all.
void FindRowRuns(std::span<const double> keys, const ScreenSpan& span,
                 std::vector<size_t>& runEnds);

// Appends to `kept` the indices of the points of one trace to draw, in increasing order: of
// each run, its first point, lowest and highest value and last point. A point whose key or
// value is NaN is a gap: it ends the points before it and is kept (once for consecutive gaps),
// so that the drawn line breaks there too.
void ThinRuns(std::span<const double> keys, std::span<const double> values,
              std::span<const size_t> runEnds, std::vector<size_t>& kept);

// Both steps for one trace.
void ThinForScreen(std::span<const double> keys, std::span<const double> values,
                   const ScreenSpan& span, std::vector<size_t>& kept);

}  // namespace tidewell
