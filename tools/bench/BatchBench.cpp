// Whole raw files read from disk on one core: converted as the batch window and the convert
// subcommand do (the target for a Vantor-6 is a million samples from raw file to calibrated
// file in under a second, with memory flat whatever the size), and loaded into a data window's
// graph in groups (each group of 100000 points on screen in under a second).
//
// The raw files are made once per run in a temporary folder. With TIDEWELL_BENCH_DIR set they
// are made there and kept (with their calibrations), for timing the convert subcommand:
//   TIDEWELL_BENCH_DIR=/tmp/tw tidewell-bench --benchmark_filter=RawTo
//   /usr/bin/time -v tidewell convert --cal /tmp/tw/vantor6.cal --out /tmp/tw
//   /tmp/tw/vantor6-1M.raw

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "calibration/CalibrationData.h"
#include "calibration/SigmaModel.h"
#include "files/DataFileWriter.h"
#include "files/FileLoaders.h"
#include "files/RawConversion.h"
#include "stream/Models.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;

// Calibrations with every correction at work: sigma coefficients, temperature terms,
// pure-water model.
constexpr const char* kVantor6Cal =
    "[General]\r\nDeviceType=Vantor-6\r\nSerial=VN6-0001\r\nDepthCal=.01\r\nDepthOff=-1.5\r\n"
    "CalTemp=20\r\n";
constexpr const char* kALumoCal =
    "[General]\r\nDeviceType=a-Lumo\r\nSerial=AL-0001\r\nDepthCal=.01\r\nDepthOff=0\r\n"
    "[Scattering]\r\nLambda=700\r\nGain1=1\r\nGain2=10\r\nGain3=100\r\nMu=1.2E-05\r\n"
    "Sigma2=.04\r\nSigma3=.001\r\nChiBb=1.1\r\nTempCoeff=-.0015\r\nCalTemp=22.5\r\n"
    "[Attenuation]\r\nLambda=532\r\nTrNought=100\r\nTrPure=31500\r\nPath=.25\r\nChi1=.5\r\n"
    "Chi2=.1\r\nTempCoeff0=1\r\nTempCoeff1=-.001\r\nTempCoeff2=1E-07\r\nKDepthCoeff0=.05\r\n"
    "KDepthThreshold=20000\r\nKDepthCoeff1=-.002\r\n";
constexpr const char* kTrevan2Cal =
    "[General]\r\nDeviceType=Trevan-2\r\nSerial=C2-0001\r\n[Depth]\r\nkp1=.0125\r\nkp2=-3.5\r\n"
    "P0=10.1325\r\nTP0=21000\r\nkD1=.99\r\n"
    "[Attenuation 1]\r\nName=c(532)\r\nLambda=532\r\nL=.25\r\nS0=120\r\nR0=-80\r\nkT0=3\r\n"
    "kT1=.05\r\nP1=0\r\nP2=10\r\nkTauPX=.5\r\nkTauP0=1.6\r\nkTauP1=.04\r\nTau0=1.0001\r\n"
    "TPW=20\r\n"
    "[Attenuation 2]\r\nName=c(650)\r\nLambda=650\r\nL=.25\r\nS0=118\r\nR0=-75\r\nkT0=1\r\n"
    "P1=1.5\r\nP2=0\r\nTau0=.98\r\nTPW=15\r\n";

std::string Vantor6CalText() {
    std::string s = kVantor6Cal;
    const char* names[8] = {"bb(412)", "bb(440)", "bb(488)", "bb(510)",
                            "bb(532)", "bb(595)", "fl(470)", "fl(530)"};
    for (int c = 0; c < 8; ++c)
        s += "[Channel " + std::to_string(c + 1) + "]\r\nName=" + names[c] +
             "\r\nGain1=1\r\nGain2=10\r\nGain3=100\r\nMu=2.5E-06\r\nSigma2=.03\r\nSigma3=.002\r\n"
             "RNominal=1\r\nBeta2Bb=1.1\r\nTempCoeff=-.0012\r\n";
    return s;
}

// The folder of the run's files: kept when named by TIDEWELL_BENCH_DIR.
class BenchFolder {
  public:
    BenchFolder() {
        if (const char* dir = std::getenv("TIDEWELL_BENCH_DIR")) {
            path_ = dir;
            keep_ = true;
        } else {
            path_ = (fs::temp_directory_path() / ("tidewell-bench-" + std::to_string(getpid())))
                        .string();
        }
        fs::create_directories(path_);
    }
    ~BenchFolder() {
        std::error_code ec;
        if (!keep_) fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
    bool keep_ = false;
};

BenchFolder& Folder() {
    static BenchFolder folder;
    return folder;
}

void WriteText(const std::string& path, const std::string& text) {
    DataFileWriter w;
    w.Open(path);
    w.Write(text);
}

// A raw file of `count` instrument lines, each ended by CR as the instruments send them; made
// once per run.
template <typename MakeLine>
const std::string& RawFile(const std::string& name, int64_t count, MakeLine makeLine) {
    static std::map<std::string, std::string> made;
    auto found = made.find(name);
    if (found != made.end()) return found->second;
    const std::string path = Folder().File(name);
    if (!fs::exists(path) || static_cast<int64_t>(fs::file_size(path)) < count) {
        DataFileWriter w;
        w.Open(path);
        std::mt19937 rng(11);
        std::string line;
        for (int64_t n = 0; n < count; ++n) {
            line = makeLine(n, rng);
            line += '\r';
            w.Write(line);
        }
    }
    return made.emplace(name, path).first->second;
}

std::string VantorLine(int64_t n, std::mt19937& rng) {
    ChannelPacketFields f;
    f.time = static_cast<int32_t>(1700000000 + n);
    for (int i = 0; i < 8; ++i) {
        f.raw[i] = static_cast<int16_t>(200 + rng() % 3000);
        f.gain[i] = static_cast<uint8_t>(1 + rng() % 3);
    }
    f.depthCounts = static_cast<int16_t>(rng() % 30000);
    f.temperatureCode = static_cast<uint8_t>(140 + rng() % 20);
    return BuildDPacket(f);
}

std::string ALumoLine(int64_t n, std::mt19937& rng) {
    SinglePacketFields f;
    f.time = static_cast<int32_t>(800000000 + n);
    f.subSecond = static_cast<uint8_t>(n % 100);
    f.signal = static_cast<int16_t>(500 + rng() % 20000);
    f.gain = static_cast<uint8_t>(1 + rng() % 3);
    f.optionCounts = static_cast<int32_t>(2000 + rng() % 25000);
    f.depthCounts = static_cast<uint16_t>(rng() % 60000);
    f.temperatureCode = static_cast<uint16_t>(250 + rng() % 100);
    return BuildAPacket(f);
}

std::string TrevanLine(int64_t n, std::mt19937& rng) {
    TwoChannelDecimalFields f;
    f.time = 1700000000.0 + static_cast<double>(n) / 4;
    f.signal[0] = 1000 + rng() % 20000;
    f.signal[1] = 1000 + rng() % 20000;
    f.reference[0] = 20000 + rng() % 5000;
    f.reference[1] = 20000 + rng() % 5000;
    f.depthCounts = rng() % 30000;
    f.temperatureCode = 1500 + rng() % 1000;
    f.infoACode = 100;
    f.infoBCode = 200;
    return BuildTwoChannelDecimalLine(f, false);
}

CalibrationDataClass LoadCal(const std::string& name, const std::string& text,
                             const HeaderSettings& settings) {
    const std::string path = Folder().File(name);
    WriteText(path, text);
    CalibrationDataClass cal;
    SilentPrompter quiet;
    cal.SetSourceFile(path, settings.sigma, LoadSigmaTables(settings.sigma), quiet);
    return cal;
}

HeaderSettings BenchSettings() {
    HeaderSettings h;
    h.sigma.aStar = 0.05;  // no table file needed
    h.sigma.aStarFile.clear();
    return h;
}

void RunRawToDat(benchmark::State& state, const std::string& raw, const std::string& calName,
                 const std::string& calText, bool includeBeta = true) {
    HeaderSettings settings = BenchSettings();
    settings.pureWater.IncludeBetaInDatFiles = includeBeta;
    const CalibrationDataClass cal = LoadCal(calName, calText, settings);
    const std::string out = raw.substr(0, raw.size() - 4) + ".dat";
    SilentPrompter quiet;
    ConversionReport report;
    for (auto _ : state) ConvertRawToDat(raw, out, cal, settings, 0, quiet, {}, &report);
    state.SetItemsProcessed(state.iterations() * report.samples);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(raw)));
}

void BM_RawToDatVantor6(benchmark::State& state) {
    const std::string name = "vantor6-" + std::to_string(state.range(0) / 1000000) + "M.raw";
    RunRawToDat(state, RawFile(name, state.range(0), VantorLine), "vantor6.cal", Vantor6CalText(),
                state.range(1) != 0);
}

void BM_RawToDatALumo(benchmark::State& state) {
    RunRawToDat(state, RawFile("alumo-1M.raw", state.range(0), ALumoLine), "alumo.cal", kALumoCal);
}

void BM_RawToDatTrevan2(benchmark::State& state) {
    RunRawToDat(state, RawFile("trevan2-1M.raw", state.range(0), TrevanLine), "trevan2.cal",
                kTrevan2Cal);
}

void BM_RawToDecVantor6(benchmark::State& state) {
    const std::string& raw = RawFile("vantor6-1M.raw", state.range(0), VantorLine);
    SilentPrompter quiet;
    ConversionReport report;
    for (auto _ : state)
        ConvertRawToDecimal(raw, Folder().File("vantor6-1M.dec"), state.range(1) != 0, quiet, {},
                            &report);
    state.SetItemsProcessed(state.iterations() * report.samples);
}

// Second argument: with the beta columns (34 numbers a row, the default) or without (18). A
// conversion writes on a thread of its own, so the CPU time counted is the whole process's.
BENCHMARK(BM_RawToDatVantor6)
    ->Args({1000000, 1})
    ->Args({1000000, 0})
    ->Args({4000000, 1})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawToDatALumo)->Arg(1000000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawToDatTrevan2)->Arg(1000000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawToDecVantor6)
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// A graph that keeps what the graph model keeps of each point: X and the corrected and
// uncorrected bb of the eight channels. Drawing is the widget's cost and is not counted here.
class BenchGraph : public LoadSink {
  public:
    void Clear() override {
        x_.clear();
        for (auto& trace : y_) trace.clear();
    }
    int64_t Capacity() const override { return 100000; }
    void AddPoint(double x, const CalibratedSample& s) override {
        x_.push_back(x);
        for (int k = 0; k < 8; ++k) {
            y_[k].push_back(s.bbCorrected[k]);
            y_[8 + k].push_back(s.bb[k]);
        }
    }

  private:
    std::vector<double> x_;
    std::vector<double> y_[16];
};

// Answers every group-full question with "Next" and notes when each was asked.
class NextPrompter : public SilentPrompter {
  public:
    using Clock = std::chrono::steady_clock;
    std::vector<Clock::time_point> asked;
    int Ask(const std::string&, const std::vector<std::string>&) override {
        asked.push_back(Clock::now());
        return 0;
    }
};

// Opening a raw file of a million Vantor-6 samples into a window whose graph holds 100000
// points, going on with "Next" to the end. Counters: the time until the first group is full
// (the first question), the mean and the longest time from one question to the next, and the
// whole load.
void BM_LoadRawVantor6Groups(benchmark::State& state) {
    const std::string& raw = RawFile("vantor6-1M.raw", state.range(0), VantorLine);
    HeaderSettings settings = BenchSettings();
    const CalibrationDataClass cal = LoadCal("vantor6.cal", Vantor6CalText(), settings);
    double first = 0, next = 0, longest = 0;
    int64_t points = 0;
    for (auto _ : state) {
        RecordingWindow window;
        window.calibration = &cal;
        BenchGraph graph;
        NextPrompter prompter;
        LoadContext context{prompter, graph, settings.sigma, settings.pureWater};
        const auto start = NextPrompter::Clock::now();
        const LoadReport report = LoadRawFile(raw, 0, window, context);
        const auto end = NextPrompter::Clock::now();
        using Seconds = std::chrono::duration<double>;
        first += Seconds(prompter.asked.front() - start).count();
        prompter.asked.push_back(end);
        for (size_t i = 1; i < prompter.asked.size(); ++i) {
            const double gap = Seconds(prompter.asked[i] - prompter.asked[i - 1]).count();
            next += gap / static_cast<double>(prompter.asked.size() - 1);
            longest = std::max(longest, gap);
        }
        points = (report.groups - 1) * graph.Capacity() + report.points;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["first_group_s"] = first / runs;
    state.counters["next_group_s"] = next / runs;
    state.counters["longest_next_s"] = longest;
    state.SetItemsProcessed(state.iterations() * points);
}

BENCHMARK(BM_LoadRawVantor6Groups)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tidewell
