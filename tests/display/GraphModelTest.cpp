#include "display/GraphModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "display/AxisTitles.h"
#include "display/ChannelCurve.h"
#include "display/Visibility.h"
#include "stream/Models.h"

namespace tidewell {
namespace {

// An a-Lumo sample (bb on Y, absorption on Y2) numbered by `i`: one minute apart, at depth
// i/10 m, bb i, corrected bb 2i, absorption -i.
CalibratedSample SingleSample(int i) {
    CalibratedSample s;
    s.time = 45000 + i / 1440.0;
    s.depth = static_cast<float>(i) / 10;
    s.valid[0] = true;
    s.bb[0] = i;
    s.bbCorrected[0] = 2 * i;
    s.sigmaK = static_cast<float>(-i);
    return s;
}

std::vector<CalibratedSample> Samples(int from, int count) {
    std::vector<CalibratedSample> samples;
    for (int i = from; i < from + count; ++i) samples.push_back(SingleSample(i));
    return samples;
}

GraphModel SingleChannelGraph(int32_t cap = 1000) {
    GraphModel graph({}, cap);
    graph.SetInstrumentType(kALumo);
    return graph;
}

TEST(GraphCap, DropsTheOldestFifthOfEveryTraceOnReachingTheCap) {
    const std::tuple<int32_t, int, size_t, int, int64_t> cases[] = {
        {1000, 999, 999, 0, 0},      {1000, 1000, 800, 200, 200},  // the 1000th point trims
        {1000, 1199, 999, 200, 200},  // and the next trim is again at 1000
        {1000, 1200, 800, 400, 400}, {1003, 1003, 802, 201, 201},  // 1003/5 = 200.6 rounds to 201
        {1001, 1001, 801, 200, 200},                               // 1001/5 = 200.2 rounds to 200
    };
    for (const auto& [cap, added, kept, firstKept, dropped] : cases) {
        GraphModel graph = SingleChannelGraph(cap);
        // one batch, as a window's sink delivers them, must trim as point by point would
        SCOPED_TRACE(added);
        EXPECT_EQ(graph.AddPoints(Samples(0, added), true), dropped);
        ASSERT_EQ(graph.PointCount(), kept);
        EXPECT_EQ(graph.TraceValues(0).front(), 2 * firstKept);        // sigma-corrected bb
        EXPECT_EQ(graph.TraceValues(1).front(), -firstKept);           // the Y2 group alike
        EXPECT_NEAR(graph.ElapsedMinutes().front(), firstKept, 1e-6);  // from the first sample
        graph.SetSigmaCorrected(false);
        EXPECT_EQ(graph.TraceValues(0).front(), firstKept);
    }
}

TEST(GraphZoom, InOutPreviousAndFullView) {
    using Op = void (GraphModel::*)();
    const std::tuple<std::vector<Op>, AxisRange> cases[] = {
        {{&GraphModel::ZoomIn}, {25, 75}},
        {{&GraphModel::ZoomOut}, {-50, 150}},
        // one saved set, not a stack
        {{&GraphModel::ZoomIn, &GraphModel::ZoomIn, &GraphModel::Previous, &GraphModel::Previous},
         {25, 75}},
        {{&GraphModel::Previous}, {0, 100}},  // nothing saved yet
        // full view scales to the points held: depth 1..3 m, bb 10..30, attenuation -1..-3,
        // with 3% of the values' span to spare
        {{&GraphModel::ZoomIn, &GraphModel::FullView}, {1, 3}},
    };
    for (const auto& [ops, expected] : cases) {
        GraphModel graph = SingleChannelGraph();
        graph.AddPoint(0, 1, std::vector<double>{10, -1});
        graph.AddPoint(0, 3, std::vector<double>{30, -3});
        for (GraphAxis axis : {GraphAxis::X, GraphAxis::Y, GraphAxis::Y2})
            graph.SetLimits(axis, {{false, 0}, {false, 100}});
        for (Op op : ops) (graph.*op)();
        SCOPED_TRACE(ops.size());
        EXPECT_EQ(graph.Range(GraphAxis::X), expected);
        AxisRange y = expected, y2 = expected;
        if (ops.back() == &GraphModel::FullView) y = {9.4, 30.6}, y2 = {-3.06, -0.94};
        EXPECT_NEAR(graph.Range(GraphAxis::Y).lower, y.lower, 1e-12);
        EXPECT_NEAR(graph.Range(GraphAxis::Y).upper, y.upper, 1e-12);
        EXPECT_NEAR(graph.Range(GraphAxis::Y2).lower, y2.lower, 1e-12);
        EXPECT_NEAR(graph.Range(GraphAxis::Y2).upper, y2.upper, 1e-12);
    }
}

TEST(GraphZoom, HiddenY2AndTheOtherViewKeepTheirLimits) {
    GraphModel graph({}, 1000);
    graph.SetInstrumentType(kVantor6);  // no Y2
    for (GraphAxis axis : {GraphAxis::X, GraphAxis::Y, GraphAxis::Y2})
        graph.SetLimits(axis, {{false, 0}, {false, 100}});
    graph.ZoomIn();
    EXPECT_EQ(graph.Range(GraphAxis::Y2), (AxisRange{0, 100}));
    // the time view has its own X limits, and no saved X limits to go back to
    graph.SetViewAgainstTime();
    graph.SetLimits(GraphAxis::X, {{false, 5}, {false, 6}});
    graph.Previous();
    EXPECT_EQ(graph.Range(GraphAxis::X), (AxisRange{5, 6}));
    EXPECT_EQ(graph.Range(GraphAxis::Y), (AxisRange{0, 100}));
    graph.SetViewAgainstDepth();
    EXPECT_EQ(graph.Range(GraphAxis::X), (AxisRange{25, 75}));
}

TEST(GraphUnits, ChangingUnitsConvertsEveryDepthOnce) {
    GraphModel graph = SingleChannelGraph();
    graph.AddPoints(Samples(100, 1));  // 10 m
    const std::tuple<bool, double, const char*> steps[] = {
        {true, 10 * 39.37 / 12, "Depth (ft)"},
        {true, 10 * 39.37 / 12, "Depth (ft)"},  // no change when the units stay
        {false, 10, "Depth (m)"}};
    for (const auto& [feet, depth, title] : steps) {
        graph.ChangeDepthUnits(feet);
        EXPECT_NEAR(graph.XValues()[0], depth, 1e-9);
        EXPECT_EQ(graph.Title(GraphAxis::X), title);
        EXPECT_EQ(graph.Code(GraphAxis::X), feet ? kAxisDepthFeet : kAxisDepthMetres);
    }
    graph.ChangeDepthUnits(true);
    graph.AddPoints(Samples(200, 1));  // new points arrive in the units shown
    EXPECT_NEAR(graph.XValues()[1], 20 * 39.37 / 12, 1e-9);
}

TEST(GraphTitles, AxisCodes) {
    for (int outside : {-1, 21}) EXPECT_EQ(AxisTitle(outside), "Unknown data type") << outside;
    EXPECT_EQ(AxisTitle(20), "Temperature (C)");
    GraphModel graph;
    const std::tuple<int, int, int, bool, bool> cases[] = {
        {3, 0, 13, false, true}, {1, 7, 14, true, true}, {1, 7, 19, true, false}};
    for (const auto& [y, y2, x, y2Shown, depthAxis] : cases) {
        graph.SetAxes(y, y2, x);
        EXPECT_EQ(graph.Title(GraphAxis::Y), AxisTitle(y));
        EXPECT_EQ(graph.Y2Shown(), y2Shown);
        EXPECT_EQ(graph.Title(GraphAxis::Y2), y2Shown ? AxisTitle(y2) : "");
        EXPECT_EQ(graph.DepthAxis(), depthAxis);
    }
}

TEST(GraphTitles, TimeViewByInstrumentType) {
    const std::tuple<int, int, int, const char*, const char*, bool> cases[] = {
        {kVantor6, 8, 0, "Backscattering Coefficient (/m)", "", true},
        {kALumo, 1, 1, "Backscattering Coefficient (/m)", "Attenuation Coefficient (/m)", true},
        {kTrevan2, 2, 0, "Attenuation Coefficient (/m)", "", false},
    };
    for (const auto& [type, yTraces, y2Traces, yTitle, y2Title, sigmaChoice] : cases) {
        GraphModel graph;
        graph.SetInstrumentType(type);
        graph.SetViewAgainstTime();
        EXPECT_EQ(graph.Title(GraphAxis::X), "Elapsed Time (minutes)");
        EXPECT_EQ(graph.Title(GraphAxis::Y), yTitle) << type;
        EXPECT_EQ(graph.Y2Shown() ? graph.Title(GraphAxis::Y2) : "", y2Title) << type;
        EXPECT_EQ(graph.Layout(), (GraphLayout{yTraces, y2Traces, sigmaChoice}));
        EXPECT_EQ(graph.SetVisibilityView(), type == kALumo);
    }
}

TEST(GraphPoints, EachTypeGraphsItsQuantitiesAndFailedValuesAreGaps) {
    CalibratedSample s;
    s.valid[0] = s.valid[1] = true;  // channel 2 invalid
    s.bb[0] = 0.5;
    s.bbCorrected[0] = Failed;
    s.bb[1] = s.bbCorrected[1] = 0.25;
    s.bb[2] = s.bbCorrected[2] = 0.75;
    s.attenuation[0] = 3;
    s.attenuation[1] = 4;
    s.sigmaK = 5;
    const double gap = std::nan("");
    const std::tuple<int, bool, std::vector<double>> cases[] = {
        {kVantor2, true, {gap, 0.25, gap}}, {kVantor2, false, {0.5, 0.25, gap}},
        {kCLumo, false, {0.5, 3}},          {kALumo, false, {0.5, 5}},
        {kTrevan2, true, {3, 4}},
    };
    for (const auto& [type, sigma, traces] : cases) {
        GraphModel graph;
        graph.SetInstrumentType(type);
        graph.SetSigmaCorrected(sigma);
        graph.AddPoint(s);
        ASSERT_EQ(graph.TraceCount(), static_cast<int>(traces.size()));
        for (int t = 0; t < graph.TraceCount(); ++t) {
            const double v = graph.TraceValues(t)[0];
            EXPECT_TRUE(std::isnan(traces[t]) ? std::isnan(v) : v == traces[t])
                << type << " trace " << t;
        }
    }
    // automatic scaling passes over the gaps and leaves out hidden traces
    GraphModel graph;
    graph.SetInstrumentType(kVantor2);
    graph.SetSigmaCorrected(false);
    graph.AddPoint(s);
    EXPECT_EQ(graph.Range(GraphAxis::Y), (AxisRange{0.25 - 0.0075, 0.5 + 0.0075}));
    graph.SetTraceVisible(0, false);
    EXPECT_EQ(graph.Range(GraphAxis::Y), (AxisRange{0.25 - 0.0125, 0.25 + 0.0125}));
}

TEST(GraphVisibility, DistancesByTheContrastLawAndTheKavraTrace) {
    const VisibilityParameters horizontal;  // X 2.7, threshold .02, inherent contrast .2
    VisibilityParameters vertical;
    vertical.vertical = true;
    VisibilityParameters noContrast, noX = vertical;
    noContrast.inherentContrast = 0.02;
    noX.x = 0;
    const double none = std::nan("");
    const std::tuple<double, const VisibilityParameters&, double> cases[] = {
        {1, horizontal, 7.5543979259312986},
        {1, vertical, 5.512668756760678},  // alpha = c + c / X
        {0, horizontal, none},
        {1, noContrast, none},
        {1, noX, none},
    };
    for (const auto& [c, p, want] : cases) {
        const double feet = VisibilityFeet(c, p);
        EXPECT_TRUE(std::isnan(want) ? std::isnan(feet) : std::abs(feet - want) < 1e-12)
            << c << " gives " << feet;
    }
    // the view puts the distance of each sample's attenuation on Y, the points to come too
    GraphModel graph = SingleChannelGraph();
    CalibratedSample s = SingleSample(1);
    s.sigmaK = 1;
    graph.AddPoint(s);
    ASSERT_TRUE(graph.SetVisibilityView());
    s.sigmaK = 2;
    graph.AddPoint(s);
    EXPECT_EQ(graph.View(), GraphView::AgainstTime);
    EXPECT_EQ(graph.TraceName(0), "Kavra");
    EXPECT_EQ(graph.TraceValues(0), (std::vector<double>{7.5543979259312986, 3.7771989629656493}));
    EXPECT_NEAR(graph.Range(GraphAxis::Y).upper, 7.5543979259312986 + 0.03 * 3.7771989629656493,
                1e-12);
    graph.SetViewAgainstTime();  // another view ends it
    EXPECT_EQ(graph.TraceValues(0), (std::vector<double>{2, 2}));
    EXPECT_EQ(graph.TraceName(0), "");
}

TEST(ChannelCurve, OnePointOfTheScatteringTracesByWavelength) {
    GraphModel graph;
    graph.SetInstrumentType(kVantor2);  // two scattering channels and one more
    graph.SetTraceName(0, "bb(700)");   // a name's wavelength comes before the calibration's
    CalibratedSample s;
    for (int i = 0; i < 3; ++i) {
        s.valid[i] = true;
        s.bb[i] = 0.1 * (i + 1);
        s.bbCorrected[i] = 0.2 * (i + 1);
    }
    s.time = 45000.5;
    graph.AddPoint(s);
    s.time += 1 / 1440.0;
    s.valid[0] = false;  // no value: left out
    graph.AddPoint(s);
    const double calibration[] = {412, 470, 532};
    ChannelCurve first = ChannelCurveAt(graph, 0, calibration);
    EXPECT_EQ(first.wavelengths, (std::vector<double>{470, 700}));
    EXPECT_EQ(first.values, (std::vector<double>{0.4, 0.2}));  // sigma-corrected, as shown
    EXPECT_EQ(CurveLabel(first.time), "2023-03-15 12:00:00");
    graph.SetViewAgainstTime();
    EXPECT_EQ(graph.NearestPoint(0.7), 1u);  // minutes
    ChannelCurve second = ChannelCurveAt(graph, *graph.NearestPoint(0.7), calibration);
    EXPECT_EQ(second.wavelengths, (std::vector<double>{470}));
    EXPECT_EQ(CurveLabel(second.time), "2023-03-15 12:01:00");
    EXPECT_TRUE(ChannelCurveAt(graph, 2, calibration).values.empty());
    const ChannelCurve* both[] = {&first, &second};
    EXPECT_EQ(WavelengthRange(both), (AxisRange{460, 710}));
    EXPECT_EQ(ValueRange(both, {false, -1, 1}), (AxisRange{-1, 1}));
}

}  // namespace
}  // namespace tidewell
