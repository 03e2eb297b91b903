// Opening stored files into a data window: the choice of file and calibration with its
// questions, and the loaders with their groups, positions, progress and cancel.

#include "files/FileLoaders.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <tuple>

#include "files/BatchTestFiles.h"
#include "files/RawConversion.h"
#include "stream/Models.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using namespace test;

struct Point {
    double x;
    CalibratedSample sample;
};

// The graph as a list of points, with a log of what else the loader told it.
class ListSink : public LoadSink {
  public:
    std::vector<Point> points;
    int64_t capacity = 100000;
    bool againstDepth = false;
    bool feet = false;
    std::vector<std::string> names;
    std::vector<int64_t> progress;
    std::function<void()> onEvents;
    int finalRedraws = 0;

    void Clear() override { points.clear(); }
    void SetChannelNames(const std::vector<std::string>& n) override { names = n; }
    bool AgainstDepth() const override { return againstDepth; }
    bool DepthInFeet() const override { return feet; }
    int64_t Capacity() const override { return capacity; }
    void AddPoint(double x, const CalibratedSample& s) override { points.push_back({x, s}); }
    void SetProgress(int64_t position) override { progress.push_back(position); }
    void Redraw(bool final) override { finalRedraws += final; }
    void ProcessEvents() override {
        if (onEvents) onEvents();
    }
};

// Logs each question with its buttons: "text [Stop|Next]".
class ButtonPrompter : public test::ScriptedPrompter {
  public:
    std::function<void()> onAsk;
    int Ask(const std::string& text, const std::vector<std::string>& buttons) override {
        if (onAsk) onAsk();
        std::string logged = text + " [";
        for (size_t i = 0; i < buttons.size(); ++i) logged += (i ? "|" : "") + buttons[i];
        return ScriptedPrompter::Ask(logged + "]", buttons);
    }
};

// A window with a calibration, and everything a load needs.
struct Loading {
    explicit Loading(const CalibrationDataClass* calibration = nullptr) {
        window.calibration = calibration;
    }
    RecordingWindow window;
    ListSink sink;
    ButtonPrompter prompter;
    HeaderSettings settings = test::HandHeaderSettings();
    std::atomic<int> cancel{0};
    LoadContext context{prompter, sink, settings.sigma, settings.pureWater, &cancel};

    LoadReport Load(const std::string& path, int64_t start = 0) {
        return path.ends_with(".dat") ? LoadDatFile(path, start, window, context)
                                      : LoadRawFile(path, start, window, context);
    }
};

// A raw file and the calibrated file converted from it give the same points, each in the view
// the case chooses; the calibrated files carry beta columns, which are skipped. The c-Lumo
// recording has no header: its type comes from its packets.
TEST(FileLoaders, RawFilesAndTheirCalibratedFilesGiveTheSamePoints) {
    const std::tuple<std::string, bool, bool> cases[] = {
        {"vantor6", false, false},
        {"alumo", true, false},
        {"clumo", true, true},
        {"trevan2", false, false},
    };
    std::string vantor6HeaderText;
    for (const auto& [model, againstDepth, feet] : cases) {
        const CalibrationDataClass cal = test::LoadCalibration(DataPath("batch/" + model + ".cal"));
        Loading raw(&cal), dat;
        for (Loading* l : {&raw, &dat}) {
            l->sink.againstDepth = againstDepth;
            l->sink.feet = feet;
        }
        EXPECT_TRUE(
            OpenFile(raw.window, DataPath("batch/" + model + ".raw"), "", raw.context).opened);
        EXPECT_TRUE(
            OpenFile(dat.window, DataPath("batch/" + model + ".dat"), "", dat.context).opened);
        EXPECT_EQ(raw.window.instrumentType, cal.DeviceType) << model;
        EXPECT_EQ(dat.window.instrumentType, cal.DeviceType) << model;
        EXPECT_EQ(raw.prompter.shown, Texts{}) << model;
        if (model == "vantor6") {
            vantor6HeaderText = raw.window.headerText;
            // A calibrated file's channel names, without their quotes.
            EXPECT_EQ(dat.sink.names.front(), "bb(412)");
            EXPECT_NE(dat.window.headerText.find("[Channels]\r\nbb(412)\r\nbb(440)\r\n"),
                      std::string::npos);
        }
        ASSERT_EQ(raw.sink.points.size(), dat.sink.points.size()) << model;
        ASSERT_GE(dat.sink.points.size(), 2u) << model;
        // Each point as the row it would be written as: the values a row carries, alike to
        // the last digit written.
        for (size_t i = 0; i < dat.sink.points.size(); ++i) {
            const CalibratedSample& d = dat.sink.points[i].sample;
            std::string rawRow, datRow;
            AppendDatRow(rawRow, raw.sink.points[i].sample, cal.DeviceType, false);
            AppendDatRow(datRow, d, cal.DeviceType, false);
            EXPECT_EQ(rawRow, datRow) << model;
            const double x = !againstDepth ? (d.time - dat.sink.points[0].sample.time) * 1440
                             : feet        ? d.depth * 39.37 / 12
                                           : d.depth;
            EXPECT_NEAR(dat.sink.points[i].x, x, 1e-6) << model;
            EXPECT_NEAR(raw.sink.points[i].x, x, 1e-6) << model;
        }
    }
    // The header text of the two joined Vantor-6 recordings holds both headers, without their
    // markers.
    const std::string v6 = test::BatchRaw("vantor6.raw");
    const size_t from = v6.find("[Header]\r\n") + 10;
    const std::string header = v6.substr(from, v6.find("[EndHeader]\r\n") - from);
    EXPECT_EQ(vantor6HeaderText, header + header);

    Loading missing;
    EXPECT_FALSE(missing.Load("/no/such/file.raw").opened);
    EXPECT_EQ(missing.prompter.shown,
              Texts{"Error opening /no/such/file.raw: No such file or directory."});
}

// 2500 Vantor-6 samples, one a second, as a raw file and as its calibrated file.
struct GroupFiles {
    TempDir dir;
    CalibrationDataClass cal = test::LoadCalibration(DataPath("batch/vantor6.cal"));
    std::string raw = dir.File("long.raw");
    std::string dat = dir.File("long.dat");
    GroupFiles() {
        std::string text;
        ChannelPacketFields f{.raw = {1000, 2000, 3000, 4000, 5000, 6000, 700, 800},
                              .gain = {1, 1, 1, 1, 1, 1, 1, 1},
                              .depthCounts = 200,
                              .temperatureCode = 150};
        for (f.time = 43200; f.time < 43200 + 2500; ++f.time) text += BuildDPacket(f) + "\r";
        WriteFileBytes(raw, text);
        test::ScriptedPrompter quiet;
        EXPECT_EQ(ConvertRawToDat(raw, dat, cal, test::HandHeaderSettings(), 0, quiet), 0);
    }
    // Day value of sample i (1-based).
    static double Time(int i) { return 25569.5 + (i - 1) / 86400.0; }
};

TEST(FileLoaders, GroupsNextStopAndReloadFromTheRecordedPosition) {
    GroupFiles files;
    const char* questionStart =
        "This file contains more points than can be displayed at one time. Would you like to "
        "stop now and display this group of 1000 points, ";
    for (const std::string& path : {files.raw, files.dat}) {
        const bool raw = path == files.raw;
        const std::string question =
            questionStart +
            std::string(raw ? "or load then next group?" : "or load the next group?") +
            " [Stop|Next]";
        auto position = [&](Loading& l) {
            return raw ? l.window.files.rawLoadPosition : l.window.files.datLoadPosition;
        };

        // "Next" twice: samples 2001 to 2500, the question each time the 1001st point arrives.
        Loading next(&files.cal);
        next.sink.capacity = 1000;
        next.prompter.answers = {0, 0};
        std::vector<size_t> heldAtQuestion;
        next.prompter.onAsk = [&] { heldAtQuestion.push_back(next.sink.points.size()); };
        LoadReport report = next.Load(path);
        EXPECT_EQ(next.prompter.shown, (Texts{question, question})) << path;
        EXPECT_EQ(heldAtQuestion, (std::vector<size_t>{1000, 1000}));
        EXPECT_EQ(report.groups, 3);
        EXPECT_FALSE(report.stopped);
        ASSERT_EQ(next.sink.points.size(), 500u) << path;
        EXPECT_NEAR(next.sink.points.front().sample.time, GroupFiles::Time(2001), 1e-9);
        EXPECT_NEAR(next.sink.points.front().x, 2000 / 60.0, 1e-6);  // minutes from sample 1
        EXPECT_NEAR(next.sink.points.back().sample.time, GroupFiles::Time(2500), 1e-9);

        // "Next", then "Stop": samples 1001 to 2000.
        Loading stop(&files.cal);
        stop.sink.capacity = 1000;
        stop.prompter.answers = {0, 1};
        report = stop.Load(path);
        EXPECT_TRUE(report.stopped);
        ASSERT_EQ(stop.sink.points.size(), 1000u) << path;
        EXPECT_NEAR(stop.sink.points.front().sample.time, GroupFiles::Time(1001), 1e-9);

        // A load from the recorded position shows the same group again, without a question.
        for (Loading* shown : {&next, &stop}) {
            Loading again(&files.cal);
            again.sink.capacity = 1000;
            report = again.Load(path, position(*shown));
            EXPECT_EQ(again.prompter.shown, Texts{}) << path;
            ASSERT_EQ(again.sink.points.size(), shown->sink.points.size()) << path;
            EXPECT_EQ(again.sink.points[0].sample.time, shown->sink.points[0].sample.time);
            EXPECT_EQ(report.stopped, shown == &stop);
            EXPECT_EQ(position(again), position(*shown));
        }

        // Past 2000 points the graph is drawn and events run every 300 points; Cancel there
        // ends the load after the current line, and the flag is 1 while the load runs.
        Loading cancelled(&files.cal);
        std::vector<int> flagSeen;
        cancelled.sink.onEvents = [&] {
            flagSeen.push_back(cancelled.cancel.load());
            cancelled.cancel = -1;
        };
        report = cancelled.Load(path);
        EXPECT_TRUE(report.cancelled);
        EXPECT_EQ(cancelled.sink.points.size(), 2100u) << path;
        EXPECT_EQ(flagSeen, std::vector<int>{1});
        EXPECT_EQ(cancelled.cancel.load(), 0);
        EXPECT_EQ(cancelled.sink.finalRedraws, 1);
        if (raw) {
            const int64_t line = static_cast<int64_t>(BuildDPacket({}).size()) + 1;
            EXPECT_EQ(cancelled.sink.progress, std::vector<int64_t>{2100 * line});
            EXPECT_EQ(stop.window.files.rawLoadPosition, 1000 * line);
        }
    }
}

// The choice of a data file, and of a calibration that fits a raw file.
TEST(FileLoaders, SelectDataFileQuestions) {
    TempDir dir;
    const std::string junk = dir.File("junk.raw");
    WriteFileBytes(junk, "hello\r");
    const std::string dat = DataPath("files/vantor6.dat");
    const std::string raw = DataPath("batch/vantor6.raw");
    const std::string v6Path = DataPath("batch/vantor6.cal");
    const CalibrationDataClass v6 = test::LoadCalibration(v6Path);
    const CalibrationDataClass alumo = test::LoadCalibration(DataPath("batch/alumo.cal"));
    CalibrationDataClass otherV6 = v6;
    otherV6.Serial = "VN6-0999";

    const std::string nothing =
        "The selected file contains no recognizable data, or could not be opened.";
    const std::string connected =
        "The file you selected contains raw Vantor-6 data, and requires a calibration file that "
        "cannot be loaded while the a-Lumo is connected. Either disconnect the a-Lumo or open a "
        "new window.";
    const std::string inUse =
        "The file you selected contains Vantor-6 data, but the current "
        "calibration requires a-Lumo data.";
    auto typeQuestion = [](const std::string& calModel) {
        return "The data file you selected contains raw Vantor-6 data, but the calibration file "
               "type is " +
               calModel + ".  Would you like to select a matching calibration? [Select Cal|Cancel]";
    };
    const std::string serial =
        "The serial number of the data file (VN6-0412) and the current calibration file "
        "(VN6-0999) do not match.  Would you like to select a different calibration? "
        "[Select Cal|Use Current|Cancel]";
    enum Window { kFree, kConnected, kInUse };
    const std::tuple<std::string, const CalibrationDataClass*, Window, std::deque<int>,
                     std::deque<std::string>, bool, std::vector<std::string>>
        cases[] = {
            {dat, nullptr, kConnected, {}, {}, true, {}},
            {junk, &v6, kFree, {}, {}, false, {nothing}},
            {raw, &alumo, kConnected, {}, {}, false, {connected}},
            {raw, &alumo, kInUse, {}, {}, false, {inUse}},
            // A window without a calibration has an empty one, of the unknown type.
            {raw, nullptr, kFree, {1}, {v6Path}, true, {typeQuestion("unknown")}},
            {raw, &alumo, kFree, {0}, {}, false, {typeQuestion("a-Lumo")}},
            {raw, &alumo, kFree, {1}, {""}, false, {typeQuestion("a-Lumo")}},
            {raw, &otherV6, kFree, {0}, {}, true, {serial}},
            {raw, &otherV6, kFree, {-1}, {}, false, {serial}},
            {raw, &otherV6, kFree, {1}, {v6Path}, true, {serial}},
        };
    for (const auto& [file, cal, state, answers, chosen, result, shown] : cases) {
        RecordingWindow window;
        window.calibration = cal;
        window.connected = state == kConnected;
        window.instrumentType = kALumo;
        ButtonPrompter prompter;
        prompter.answers = answers;
        std::deque<std::string> calChoices = chosen;
        std::map<std::string, CalibrationDataClass> loaded;
        DataFileDialogs dialogs;
        dialogs.chooseFile = [&](const std::string&, const std::string&, const std::string&) {
            return file;
        };
        dialogs.chooseCalibration = [&] {
            std::string p = calChoices.front();
            calChoices.pop_front();
            return p;
        };
        dialogs.loadCalibration = [&](const std::string& p) {
            window.calibration = &(loaded[p] = test::LoadCalibration(p));
            return true;
        };
        std::string path, calibrationFile, folder = "/start/";
        EXPECT_EQ(SelectDataFile(window, path, calibrationFile, state == kInUse, folder, dialogs,
                                 prompter),
                  result)
            << file;
        EXPECT_EQ(prompter.shown, shown) << file;
        EXPECT_EQ(calibrationFile, chosen.empty() ? "" : chosen.front()) << file;
        EXPECT_TRUE(calChoices.empty()) << file;
        EXPECT_EQ(path, file);
        EXPECT_EQ(folder, file.substr(0, file.rfind('/') + 1));
    }
}

}  // namespace
}  // namespace tidewell
