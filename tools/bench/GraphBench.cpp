// Graph redraw: the plot widget drawing 16 traces, against time at the largest point cap (100,000
// points a trace) and against depth at a million points a trace, thinned in screen space. The
// live case adds a second's worth of samples before each redraw, as the window's redraw timer
// finds them; the first-picture case builds every trace anew, as after a file is loaded.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <memory>
#include <vector>

#include "BenchApplication.h"
#include "display/ui/GraphWidget.h"

namespace tidewell {
namespace {

constexpr int kTraces = 16;

// One sample a second; down to 100 m and up again over the data set; every trace wanders.
void AddSamples(GraphModel& model, int from, int count, int total) {
    double values[kTraces];
    for (int i = from; i < from + count; ++i) {
        const double f = static_cast<double>(i % total) / total;
        const double depth = f < 0.5 ? 200 * f : 200 * (1 - f);
        for (int t = 0; t < kTraces; ++t)
            values[t] =
                0.001 * (t + 1) * (1.5 + std::sin(i * 0.013 + t) + 0.2 * std::sin(i * 0.71));
        model.AddPoint(45000 + i / 86400.0, depth, values);
    }
}

struct Plot {
    GraphModel model;
    std::unique_ptr<GraphWidget> widget;

    Plot(GraphView view, int points) : model({}, 2 * points) {
        BenchApplication();
        model.SetLayout({kTraces, 0, false});
        model.SetAxes(1, 0, view == GraphView::AgainstDepth ? 13 : 19);
        if (view == GraphView::AgainstDepth) {
            model.SetViewAgainstDepth();
        } else {
            model.SetViewAgainstTime();
        }
        AddSamples(model, 0, points, points);
        widget = std::make_unique<GraphWidget>(model);
        widget->resize(1200, 800);
        widget->show();
        widget->Redraw();
    }
};

void BM_GraphRedrawLiveTime(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    Plot plot(GraphView::AgainstTime, points);
    // the count stays near `points`: start over, untimed, every 4000 samples
    int next = points;
    for (auto _ : state) {
        state.PauseTiming();
        if (next + 4 > points + 4000) {
            plot.model.Clear();
            AddSamples(plot.model, 0, points, points);
            plot.widget->Redraw();
            next = points;
        }
        AddSamples(plot.model, next, 4, points);
        next += 4;
        state.ResumeTiming();
        plot.widget->Redraw();
    }
    state.counters["points"] = static_cast<double>(plot.model.PointCount()) * kTraces;
}

void BM_GraphFirstPicture(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    const GraphView view = state.range(1) ? GraphView::AgainstDepth : GraphView::AgainstTime;
    Plot plot(view, points);
    for (auto _ : state) {
        state.PauseTiming();
        plot.model.SetSigmaCorrected(!plot.model.SigmaCorrected());  // every trace anew
        state.ResumeTiming();
        plot.widget->Redraw();
    }
    state.counters["points"] = static_cast<double>(plot.model.PointCount()) * kTraces;
}

// A depth plot redrawn after a zoom: thinning every trace for the new view, then drawing.
void BM_GraphRedrawDepthZoom(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    Plot plot(GraphView::AgainstDepth, points);
    bool in = true;
    for (auto _ : state) {
        if (in) {
            plot.widget->ZoomIn();
        } else {
            plot.widget->Previous();
        }
        in = !in;
    }
    state.counters["points"] = static_cast<double>(plot.model.PointCount()) * kTraces;
}

BENCHMARK(BM_GraphRedrawLiveTime)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GraphFirstPicture)
    ->Args({100000, 0})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GraphRedrawDepthZoom)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tidewell
