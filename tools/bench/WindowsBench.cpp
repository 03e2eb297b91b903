// Six data windows live at once: six simulated Vantor-6 instruments sampling 20 times a second,
// every window's graph holding the largest point cap (100,000 points a trace). Measured: the
// longest 50 ms tick of any window, and the time of one redraw round of all six windows. The
// run lasts a few seconds of real time; the figures are counters, not the iteration time.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "BenchApplication.h"
#include "settings/SettingsStore.h"
#include "shell/ui/DataWindow.h"
#include "shell/ui/DesktopApp.h"
#include "stream/Clock.h"
#include "stream/Prompter.h"

namespace tidewell {
namespace {

constexpr int kWindows = 6;
constexpr int kCap = 100000;

// A simulated instrument for the length of the run.
struct Instrument {
    QProcess process;
    std::string device;
    explicit Instrument(const char* period) {
        process.start(QCoreApplication::applicationDirPath() + "/tidewell-sim",
                      {"--model", "vantor-6", "--period", period});
        process.waitForStarted(5000);
        while (!process.canReadLine() && process.waitForReadyRead(5000)) {
        }
        device = process.readLine().trimmed().toStdString();
    }
    ~Instrument() {
        process.terminate();
        if (!process.waitForFinished(3000)) process.kill();
    }
};

// Fills a graph to its cap with a cast's worth of made-up samples.
void FillToCap(GraphModel& graph) {
    std::vector<CalibratedSample> samples(kCap);
    for (int i = 0; i < kCap; ++i) {
        CalibratedSample& s = samples[static_cast<size_t>(i)];
        s.time = 46000 + i / 86400.0;
        s.depth = static_cast<float>(i < kCap / 2 ? i * 0.002 : (kCap - i) * 0.002);
        for (int c = 0; c < 8; ++c) {
            s.valid[c] = true;
            s.bb[c] = s.bbCorrected[c] = 0.001 * (c + 1) * (1.5 + std::sin(i * 0.013 + c));
        }
    }
    graph.AddPoints(samples, false);
}

void BM_SixWindowsLive(benchmark::State& state) {
    BenchApplication();
    MemorySettingsStore store;
    store.Write("App", "MaxGraphPoints", std::to_string(kCap));
    store.Write("Sigma", "aStar", "0.05");
    SilentPrompter prompter;
    SystemClock clock;
    ui::DesktopOptions options;
    options.programFolder = QCoreApplication::applicationDirPath().toStdString() + "/";
    options.askReleaseNotes = false;
    options.connectOnStartup = false;
    ui::DesktopApp app(store, prompter, clock, options);
    app.Start();
    for (int i = 1; i < kWindows; ++i) app.NewWindow();

    std::vector<std::unique_ptr<Instrument>> instruments;
    for (ui::DataWindow* w : app.Windows()) {
        instruments.push_back(std::make_unique<Instrument>("0.05"));
        if (!w->ConnectTo(instruments.back()->device, 19200)) {
            state.SkipWithError("a simulated instrument did not answer");
            return;
        }
        w->StartSampling();  // new recording files: the graph starts empty
        FillToCap(w->graph());
    }
    QElapsedTimer warmUp;
    warmUp.start();
    while (warmUp.elapsed() < 3000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    app.program().longestTickSeconds = 0;
    std::vector<double> rounds;
    for (auto _ : state) {
        QElapsedTimer run;
        run.start();
        while (run.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QElapsedTimer round;
            round.start();
            for (ui::DataWindow* w : app.Windows()) w->RedrawIfChanged();
            rounds.push_back(round.nsecsElapsed() / 1e6);
        }
    }
    std::sort(rounds.begin(), rounds.end());
    state.counters["longest_tick_ms"] = app.program().longestTickSeconds * 1000;
    state.counters["redraw_round_median_ms"] = rounds.empty() ? 0 : rounds[rounds.size() / 2];
    state.counters["redraw_round_max_ms"] = rounds.empty() ? 0 : rounds.back();
    int64_t points = 0;
    for (ui::DataWindow* w : app.Windows()) points += static_cast<int64_t>(w->graph().PointCount());
    state.counters["points_per_window"] = static_cast<double>(points) / kWindows;
    for (ui::DataWindow* w : app.Windows()) w->CloseWithoutAsking();
}
BENCHMARK(BM_SixWindowsLive)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tidewell
