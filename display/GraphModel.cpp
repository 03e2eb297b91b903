#include "display/GraphModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "display/AxisTitles.h"
#include "stream/Models.h"

namespace tidewell {

namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();
// The share of the values' span left free above and below them when a Y axis scales itself.
constexpr double kValuePad = 0.03;

// A value the conversion could not compute shows as a gap.
double Shown(double value) {
    return std::isfinite(value) && value < Failed ? value : kGap;
}

int ViewIndex(GraphView view) {
    return view == GraphView::AgainstDepth ? 1 : 0;
}

// A span of no width cannot be drawn: widen it about its value.
AxisRange Widened(double lower, double upper) {
    if (upper > lower) return {lower, upper};
    double pad = lower != 0 ? std::abs(lower) * 0.05 : 0.5;
    return {lower - pad, lower + pad};
}

}  // namespace

GraphLayout LayoutForType(int instrumentType) {
    if (IsVantorFamily(instrumentType)) return {ChannelCount(instrumentType), 0, true};
    if (IsSingleChannel(instrumentType)) return {1, 1, true};
    if (IsTrevan(instrumentType)) return {2, 0, false};
    return {};
}

bool HasSpectrumView(int instrumentType) {
    return IsVantorFamily(instrumentType);
}

GraphModel::GraphModel(const GraphDefaults& defaults, int32_t maxPoints)
    : defaults_(defaults), maxPoints_(std::max<int32_t>(maxPoints, 1)), feet_(defaults.feet) {
    for (int t = 0; t < kMaxGraphTraces; ++t) visible_[t] = defaults.ChannelOn[t];
    xLimits_[ViewIndex(GraphView::AgainstTime)] = defaults.Time;
    xLimits_[ViewIndex(GraphView::AgainstDepth)] = defaults.Depth;
    yLimits_ = defaults.Data;
    y2Limits_ = defaults.Data2;
    SetViewAgainstDepth();
}

// ---- What the graph shows

void GraphModel::SetInstrumentType(int type) {
    type_ = type;
    SetLayout(LayoutForType(type));
    SetTitlesForType();
}

void GraphModel::SetLayout(const GraphLayout& layout) {
    EndVisibility();
    layout_ = layout;
    layout_.yTraces = std::clamp(layout.yTraces, 0, kMaxGraphTraces);
    layout_.y2Traces = std::clamp(layout.y2Traces, 0, kMaxGraphTraces - layout_.yTraces);
    values_.assign(static_cast<size_t>(TraceCount()), {});
    corrected_.assign(layout_.sigmaChoice ? static_cast<size_t>(layout_.yTraces) : 0, {});
    Clear();
}

void GraphModel::SetAxes(int yCode, int y2Code, int xCode) {
    yCode_ = yCode;
    y2Code_ = y2Code;
    xCode_ = xCode;
    yTitle_ = AxisTitle(yCode);
    y2Title_ = y2Code != 0 ? AxisTitle(y2Code) : "";
    xTitle_ = AxisTitle(xCode);
    ShapeChanged();
}

int GraphModel::Code(GraphAxis axis) const {
    return axis == GraphAxis::X ? xCode_ : axis == GraphAxis::Y ? yCode_ : y2Code_;
}

const std::string& GraphModel::Title(GraphAxis axis) const {
    return axis == GraphAxis::X ? xTitle_ : axis == GraphAxis::Y ? yTitle_ : y2Title_;
}

bool GraphModel::DepthAxis() const {
    return IsDepthAxisCode(xCode_);
}

// Y titles by the instrument type: attenuation for the Trevan-2, backscattering for the rest,
// and attenuation on Y2 for the single-channel types.
void GraphModel::SetTitlesForType() {
    yCode_ = IsTrevan(type_) ? kAxisAttenuation : kAxisBackscattering;
    yTitle_ = IsTrevan(type_) ? kAttenuationCoefficientTitle : kBackscatteringTitle;
    y2Code_ = IsSingleChannel(type_) ? kAxisAttenuation : kAxisNone;
    y2Title_ = IsSingleChannel(type_) ? kAttenuationCoefficientTitle : "";
    ShapeChanged();
}

void GraphModel::SetViewAgainstTime() {
    EndVisibility();
    view_ = GraphView::AgainstTime;
    xCode_ = kAxisElapsedTime;
    xTitle_ = kElapsedTimeTitle;
    SetTitlesForType();
}

void GraphModel::SetViewAgainstDepth() {
    EndVisibility();
    view_ = GraphView::AgainstDepth;
    xCode_ = feet_ ? kAxisDepthFeet : kAxisDepthMetres;
    xTitle_ = feet_ ? kDepthFeetTitle : kDepthMetresTitle;
    SetTitlesForType();
}

void GraphModel::ChangeDepthUnits(bool feet) {
    if (feet == feet_) return;
    feet_ = feet;
    const double factor = feet ? kFeetPerMetre : 1 / kFeetPerMetre;
    for (double& d : depth_) d *= factor;
    auto scale = [factor](AxisLimits& limits) {
        limits.min.value *= factor;
        limits.max.value *= factor;
    };
    const int depth = ViewIndex(GraphView::AgainstDepth);
    scale(xLimits_[depth]);
    if (saved_.x[depth]) scale(*saved_.x[depth]);
    if (view_ == GraphView::AgainstDepth) {
        SetViewAgainstDepth();
    } else {
        ShapeChanged();
    }
}

bool GraphModel::SetVisibilityView(const VisibilityParameters& parameters) {
    if (type_ != kALumo || values_.size() < 2) return false;
    SetViewAgainstTime();
    yTitle_ = kVisibilityTitle;
    y2Title_ = kAttenuationCoefficientTitle;
    visibility_ = parameters;
    distances_.clear();
    for (double c : values_[1]) distances_.push_back(VisibilityFeet(c, parameters));
    ShapeChanged();
    return true;
}

void GraphModel::EndVisibility() {
    if (!visibility_) return;
    visibility_.reset();
    distances_.clear();
    ShapeChanged();
}

void GraphModel::SetSigmaCorrected(bool corrected) {
    if (corrected == sigma_) return;
    sigma_ = corrected;
    ShapeChanged();
}

// ---- Points

void GraphModel::SetMaxPoints(int32_t maxPoints) {
    maxPoints_ = std::max<int32_t>(maxPoints, 1);
}

int64_t GraphModel::AddPoints(std::span<const CalibratedSample> samples, bool trimAtCap) {
    if (samples.empty()) return 0;
    double values[kMaxGraphTraces], corrected[kMaxGraphTraces];
    std::fill(std::begin(values), std::end(values), kGap);
    std::fill(std::begin(corrected), std::end(corrected), kGap);
    int64_t dropped = 0;
    for (const CalibratedSample& s : samples) {
        if (IsVantorFamily(type_)) {
            for (int c = 0; c < layout_.yTraces; ++c) {
                values[c] = s.valid[c] ? s.bb[c] : kGap;
                corrected[c] = s.valid[c] ? s.bbCorrected[c] : kGap;
            }
        } else if (IsSingleChannel(type_)) {
            values[0] = s.bb[0];
            corrected[0] = s.bbCorrected[0];
            // `valid` of these types tells whether the attenuation channel was measured; the
            // a-Lumo's measured absorption stays in sigmaK (files read back hold it there only)
            const double measured = type_ == kALumo ? s.sigmaK : s.attenuation[0];
            values[1] = s.valid[0] ? measured : kGap;
        } else if (IsTrevan(type_)) {
            values[0] = s.attenuation[0];
            values[1] = s.attenuation[1];
        }
        Append(s.time, s.depth, values, corrected);
        if (trimAtCap) TrimIfFull(dropped);
    }
    ++revision_;
    if (dropped) ShapeChanged();
    return dropped;
}

int64_t GraphModel::AddPoint(double time, double depthMetres, std::span<const double> values,
                             std::span<const double> corrected) {
    double v[kMaxGraphTraces], c[kMaxGraphTraces];
    for (int t = 0; t < kMaxGraphTraces; ++t) {
        v[t] = t < static_cast<int>(values.size()) ? values[t] : kGap;
        c[t] = t < static_cast<int>(corrected.size()) ? corrected[t] : v[t];
    }
    int64_t dropped = 0;
    Append(time, depthMetres, v, c);
    TrimIfFull(dropped);
    ++revision_;
    if (dropped) ShapeChanged();
    return dropped;
}

void GraphModel::Append(double time, double depthMetres, const double* values,
                        const double* corrected) {
    if (time_.empty()) startTime_ = time;
    time_.push_back((time - startTime_) * 1440.0);
    depth_.push_back(feet_ ? depthMetres * kFeetPerMetre : depthMetres);
    for (size_t t = 0; t < values_.size(); ++t) values_[t].push_back(Shown(values[t]));
    for (size_t t = 0; t < corrected_.size(); ++t) corrected_[t].push_back(Shown(corrected[t]));
    if (visibility_) distances_.push_back(VisibilityFeet(values_[1].back(), *visibility_));
}

// Dropping a fifth at a time keeps the cost of moving the points rare.
void GraphModel::TrimIfFull(int64_t& dropped) {
    const size_t n = time_.size();
    if (n < static_cast<size_t>(maxPoints_)) return;
    const size_t k = (2 * n + 5) / 10;  // n/5 to the nearest integer (n/5 never ends in .5)
    if (k == 0) return;
    auto drop = [k](std::vector<double>& column) {
        column.erase(column.begin(), column.begin() + static_cast<std::ptrdiff_t>(k));
    };
    drop(time_);
    drop(depth_);
    for (auto& column : values_) drop(column);
    for (auto& column : corrected_) drop(column);
    if (visibility_) drop(distances_);
    dropped += static_cast<int64_t>(k);
    rangesUpTo_ = 0;
}

void GraphModel::Clear() {
    time_.clear();
    depth_.clear();
    for (auto& column : values_) column.clear();
    for (auto& column : corrected_) column.clear();
    distances_.clear();
    startTime_ = 0;
    ShapeChanged();
}

const std::vector<double>& GraphModel::XValues() const {
    return view_ == GraphView::AgainstDepth ? depth_ : time_;
}

std::optional<size_t> GraphModel::NearestPoint(double x) const {
    std::optional<size_t> nearest;
    double best = std::numeric_limits<double>::infinity();
    const std::vector<double>& xs = XValues();
    for (size_t i = 0; i < xs.size(); ++i) {
        const double d = std::abs(xs[i] - x);
        if (d < best) best = d, nearest = i;
    }
    return nearest;
}

const std::vector<double>& GraphModel::TraceValues(int trace) const {
    if (visibility_ && trace == 0) return distances_;
    if (sigma_ && trace < static_cast<int>(corrected_.size())) return corrected_[trace];
    return values_[trace];
}

// ---- Look

void GraphModel::SetTraceVisible(int trace, bool visible) {
    if (trace < 0 || trace >= kMaxGraphTraces) return;
    visible_[trace] = visible;
    ++revision_;
}

bool GraphModel::TraceVisible(int trace) const {
    return trace >= 0 && trace < kMaxGraphTraces && visible_[trace];
}

void GraphModel::SetTraceName(int trace, const std::string& name) {
    if (trace < 0 || trace >= kMaxGraphTraces) return;
    names_[trace] = name;
    ++revision_;
}

const std::string& GraphModel::TraceName(int trace) const {
    static const std::string none, kavra = "Kavra";
    if (visibility_ && trace == 0) return kavra;
    return trace >= 0 && trace < kMaxGraphTraces ? names_[trace] : none;
}

// ---- Limits and zoom

// Columns: elapsed minutes, depth, every trace's values, the corrected values, then the
// visibility distances.
const std::vector<GraphModel::Extremes>& GraphModel::ColumnExtremes() const {
    const size_t columns = 3 + values_.size() + corrected_.size();
    if (rangesUpTo_ == 0 || ranges_.size() != columns) {
        ranges_.assign(columns, {std::numeric_limits<double>::infinity(),
                                 -std::numeric_limits<double>::infinity()});
        rangesUpTo_ = 0;
    }
    auto grow = [this](size_t column, const std::vector<double>& data) {
        Extremes& e = ranges_[column];
        for (size_t i = rangesUpTo_; i < data.size(); ++i) {
            // NaN fails both tests and is skipped
            if (data[i] < e.min) e.min = data[i];
            if (data[i] > e.max) e.max = data[i];
        }
    };
    grow(0, time_);
    grow(1, depth_);
    for (size_t t = 0; t < values_.size(); ++t) grow(2 + t, values_[t]);
    for (size_t t = 0; t < corrected_.size(); ++t) grow(2 + values_.size() + t, corrected_[t]);
    grow(columns - 1, distances_);
    rangesUpTo_ = time_.size();
    return ranges_;
}

AxisRange GraphModel::Range(GraphAxis axis) const {
    const AxisLimits& limits = Limits(axis);
    double lower = limits.min.value, upper = limits.max.value;
    if (limits.min.automatic || limits.max.automatic) {
        const auto& columns = ColumnExtremes();
        Extremes data{std::numeric_limits<double>::infinity(),
                      -std::numeric_limits<double>::infinity()};
        auto take = [&](size_t column) {
            data.min = std::min(data.min, columns[column].min);
            data.max = std::max(data.max, columns[column].max);
        };
        if (axis == GraphAxis::X) {
            take(view_ == GraphView::AgainstDepth ? 1 : 0);
        } else {
            for (int t = 0; t < TraceCount(); ++t) {
                if (IsY2Trace(t) != (axis == GraphAxis::Y2) || !visible_[t]) continue;
                const bool corrected = sigma_ && t < static_cast<int>(corrected_.size());
                if (visibility_ && t == 0)
                    take(columns.size() - 1);
                else
                    take(corrected ? 2 + values_.size() + t : 2 + t);
            }
        }
        if (data.min <= data.max) {
            // the values keep clear of the frame; the X axis runs from the first point to the
            // last
            const double pad = axis == GraphAxis::X ? 0 : (data.max - data.min) * kValuePad;
            if (limits.min.automatic) lower = data.min - pad;
            if (limits.max.automatic) upper = data.max + pad;
        }
    }
    return Widened(lower, upper);
}

const AxisLimits& GraphModel::Limits(GraphAxis axis) const {
    return const_cast<GraphModel*>(this)->LimitsRef(axis);
}

AxisLimits& GraphModel::LimitsRef(GraphAxis axis) {
    if (axis == GraphAxis::X) return xLimits_[ViewIndex(view_)];
    return axis == GraphAxis::Y ? yLimits_ : y2Limits_;
}

void GraphModel::SetLimits(GraphAxis axis, const AxisLimits& limits) {
    LimitsRef(axis) = limits;
    ++revision_;
}

std::vector<GraphAxis> GraphModel::ZoomAxes() const {
    if (Y2Shown()) return {GraphAxis::X, GraphAxis::Y, GraphAxis::Y2};
    return {GraphAxis::X, GraphAxis::Y};
}

void GraphModel::SaveForPrevious() {
    saved_.x[ViewIndex(view_)] = Limits(GraphAxis::X);
    saved_.y = yLimits_;
    saved_.y2 = y2Limits_;
    saved_.any = true;
}

void GraphModel::ZoomIn() {
    SaveForPrevious();
    for (GraphAxis axis : ZoomAxes()) {
        AxisRange r = Range(axis);
        LimitsRef(axis) = {{false, (3 * r.lower + r.upper) / 4},
                           {false, (r.lower + 3 * r.upper) / 4}};
    }
    ++revision_;
}

void GraphModel::ZoomOut() {
    SaveForPrevious();
    for (GraphAxis axis : ZoomAxes()) {
        AxisRange r = Range(axis);
        LimitsRef(axis) = {{false, (3 * r.lower - r.upper) / 2},
                           {false, (3 * r.upper - r.lower) / 2}};
    }
    ++revision_;
}

void GraphModel::ZoomTo(AxisRange x, AxisRange y, AxisRange y2, bool savePrevious) {
    if (savePrevious) SaveForPrevious();
    auto fixed = [](AxisRange r) {
        AxisRange w = Widened(std::min(r.lower, r.upper), std::max(r.lower, r.upper));
        return AxisLimits{{false, w.lower}, {false, w.upper}};
    };
    LimitsRef(GraphAxis::X) = fixed(x);
    yLimits_ = fixed(y);
    if (Y2Shown()) y2Limits_ = fixed(y2);
    ++revision_;
}

void GraphModel::Previous() {
    if (!saved_.any) return;
    if (const auto& x = saved_.x[ViewIndex(view_)]) LimitsRef(GraphAxis::X) = *x;
    yLimits_ = saved_.y;
    if (Y2Shown()) y2Limits_ = saved_.y2;
    ++revision_;
}

void GraphModel::FullView() {
    for (GraphAxis axis : {GraphAxis::X, GraphAxis::Y, GraphAxis::Y2}) {
        LimitsRef(axis).min.automatic = true;
        LimitsRef(axis).max.automatic = true;
    }
    ++revision_;
}

}  // namespace tidewell
