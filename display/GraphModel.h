#pragma once
// A data window's graph without the window: the traces per channel and the Y2 group, the axis
// codes and titles, the views against time and against depth, the depth units, the live point
// cap, the axis limits with zooming and "Previous", and the look taken from the graph defaults.
// The plot widget draws what this holds; everything here is tested without a window.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "calibration/CalibratedSample.h"
#include "display/GraphDefaults.h"
#include "display/Visibility.h"

namespace tidewell {

enum class GraphView { AgainstTime, AgainstDepth };
enum class GraphAxis { X, Y, Y2 };

// What a kind of instrument puts on the graph.
struct GraphLayout {
    int yTraces = 0;           // one per channel, on the Y axis
    int y2Traces = 0;          // the second quantity's traces, on the Y2 axis
    bool sigmaChoice = false;  // the Y traces exist sigma-corrected and uncorrected
    bool operator==(const GraphLayout&) const = default;
};
// Vantor types: bb of every channel record in use, sigma-corrected or not. Single-channel
// types: bb of the scattering channel, and the measured attenuation (the a-Lumo's absorption)
// on Y2. Trevan-2: its two attenuation channels. Any other type: no traces.
GraphLayout LayoutForType(int instrumentType);

// The numbers an axis spans.
struct AxisRange {
    double lower = 0;
    double upper = 1;
    bool operator==(const AxisRange&) const = default;
};

inline constexpr double kFeetPerMetre = 39.37 / 12;
inline constexpr int32_t kDefaultGraphPoints = 50000;

inline constexpr const char* kNoSpectralDataMessage = "No spectral data available to display.";
inline constexpr const char* kKavraOnlyALumoMessage =
    "Kavra option is only available with data from a-Lumo instruments.";
inline constexpr const char* kNoDefaultPrinterMessage =
    "Cannot connect to the default printer.  Use the Printers Control Panel to be sure a valid "
    "default printer is selected.";

// The view against channel (the spectrum) exists for the multi-channel models only.
bool HasSpectrumView(int instrumentType);

class GraphModel {
  public:
    explicit GraphModel(const GraphDefaults& defaults = {},
                        int32_t maxPoints = kDefaultGraphPoints);

    // --- What the graph shows. A new instrument type or layout clears the points.
    void SetInstrumentType(int type);
    int InstrumentType() const { return type_; }
    void SetLayout(const GraphLayout& layout);
    const GraphLayout& Layout() const { return layout_; }
    int TraceCount() const { return layout_.yTraces + layout_.y2Traces; }
    bool IsY2Trace(int trace) const { return trace >= layout_.yTraces; }

    // Three axis codes: the titles come from the code table; the Y2 axis shows only when its
    // code is not 0; an X code of 13 or 14 lays the X axis out as a depth axis.
    void SetAxes(int yCode, int y2Code, int xCode);
    int Code(GraphAxis axis) const;
    const std::string& Title(GraphAxis axis) const;
    bool Y2Shown() const { return y2Code_ != 0; }
    bool DepthAxis() const;

    // X as minutes since the data set's first sample; titles by the instrument type.
    void SetViewAgainstTime();
    // X as depth in the current units.
    void SetViewAgainstDepth();
    GraphView View() const { return view_; }
    // Multiplies every depth (and the fixed depth limits) by 39.37/12 or 12/39.37; nothing
    // changes when the units are already these.
    void ChangeDepthUnits(bool feet);
    bool DepthInFeet() const { return feet_; }
    // The visibility view of a-Lumo data: the time view with the visibility distance of each
    // sample's attenuation (the Y2 values) on Y, its trace named "Kavra". False (and nothing
    // changes) for any other type. Either other view ends it.
    bool SetVisibilityView(const VisibilityParameters& parameters = {});
    bool VisibilityShown() const { return visibility_.has_value(); }

    // Sigma-corrected or uncorrected values on the Y traces; a layout without the choice (the
    // Trevan-2) hides the option.
    void SetSigmaCorrected(bool corrected);
    bool SigmaCorrected() const { return sigma_; }

    // --- Points.
    // The cap on the points of each trace (MaxGraphPoints); whoever reads the setting keeps it
    // within 1000-100000.
    void SetMaxPoints(int32_t maxPoints);
    int32_t MaxPoints() const { return maxPoints_; }
    // Adds one point to every trace for each sample, and after each point drops the oldest
    // fifth of every trace once the cap is reached. Returns the number of points dropped from
    // each trace, by which the caller's running point count goes down. Points loaded from a
    // file come with `trimAtCap` false: the loader asks before a group would overflow.
    int64_t AddPoints(std::span<const CalibratedSample> samples, bool trimAtCap = true);
    int64_t AddPoint(const CalibratedSample& sample, bool trimAtCap = true) {
        return AddPoints({&sample, 1}, trimAtCap);
    }
    // The same with the values already picked: the time (days since 1899-12-30), the depth in
    // metres, one value per trace (Y then Y2) and, with the sigma choice, the corrected value of
    // each Y trace. A value of NaN or Failed leaves a gap in its trace.
    int64_t AddPoint(double time, double depthMetres, std::span<const double> values,
                     std::span<const double> corrected = {});
    void Clear();
    size_t PointCount() const { return time_.size(); }
    // The X of every point in the current view, and the two views' own columns.
    const std::vector<double>& XValues() const;
    const std::vector<double>& ElapsedMinutes() const { return time_; }
    const std::vector<double>& Depths() const { return depth_; }
    // A trace's values as shown (with the sigma choice applied).
    const std::vector<double>& TraceValues(int trace) const;
    // The date value of the data set's first sample (0 before it).
    double StartTime() const { return startTime_; }
    // The point whose X in the current view lies nearest to `x`; none while the graph is empty.
    std::optional<size_t> NearestPoint(double x) const;

    // --- Look.
    const GraphDefaults& Defaults() const { return defaults_; }
    void SetTraceVisible(int trace, bool visible);
    bool TraceVisible(int trace) const;
    void SetTraceName(int trace, const std::string& name);
    const std::string& TraceName(int trace) const;

    // --- Limits and zoom.
    // The numbers an axis spans now: its fixed ends, and for automatic ends the data's
    // extremes (over the visible traces of the axis), a Y axis with 3% of the span to spare.
    AxisRange Range(GraphAxis axis) const;
    const AxisLimits& Limits(GraphAxis axis) const;
    void SetLimits(GraphAxis axis, const AxisLimits& limits);
    // Each saves the current limits as the "Previous" set first.
    void ZoomIn();   // every axis to its middle half
    void ZoomOut();  // every axis doubled about its centre
    // To the given ranges (a dragged rectangle, a wheel step); `y2` only where Y2 is shown.
    void ZoomTo(AxisRange x, AxisRange y, AxisRange y2, bool savePrevious = true);
    // Puts the saved set back: the X limits saved in the current view, Y, and Y2 when shown.
    void Previous();
    // Every axis back to automatic scaling.
    void FullView();

    // --- Change tracking for the widget. Revision changes with anything; ShapeRevision with
    // anything but points appended at the end and limit changes.
    uint64_t Revision() const { return revision_; }
    uint64_t ShapeRevision() const { return shapeRevision_; }

  private:
    void Append(double time, double depthMetres, const double* values, const double* corrected);
    void TrimIfFull(int64_t& dropped);
    void SetTitlesForType();
    void EndVisibility();
    void SaveForPrevious();
    AxisLimits& LimitsRef(GraphAxis axis);
    std::vector<GraphAxis> ZoomAxes() const;
    void ShapeChanged() {
        ++revision_;
        ++shapeRevision_;
        rangesUpTo_ = 0;
    }

    GraphDefaults defaults_;
    int32_t maxPoints_;
    int type_ = 7;
    GraphLayout layout_;
    GraphView view_ = GraphView::AgainstDepth;
    bool feet_ = false;
    bool sigma_ = true;
    int xCode_ = 0, yCode_ = 0, y2Code_ = 0;
    std::string xTitle_, yTitle_, y2Title_;

    double startTime_ = 0;
    std::vector<double> time_;                    // minutes since startTime_
    std::vector<double> depth_;                   // in the current units
    std::vector<std::vector<double>> values_;     // per trace
    std::vector<std::vector<double>> corrected_;  // per Y trace, with the sigma choice
    std::optional<VisibilityParameters> visibility_;
    std::vector<double> distances_;  // visibility per point, in the visibility view
    bool visible_[kMaxGraphTraces];
    std::string names_[kMaxGraphTraces];

    AxisLimits xLimits_[2];  // by view
    AxisLimits yLimits_, y2Limits_;
    struct Saved {
        std::optional<AxisLimits> x[2];
        AxisLimits y, y2;
        bool any = false;
    } saved_;

    // Extremes of every column over the points [0, rangesUpTo_), grown as points arrive.
    struct Extremes {
        double min, max;
    };
    mutable std::vector<Extremes> ranges_;
    mutable size_t rangesUpTo_ = 0;
    const std::vector<Extremes>& ColumnExtremes() const;

    uint64_t revision_ = 0;
    uint64_t shapeRevision_ = 0;
};

}  // namespace tidewell
