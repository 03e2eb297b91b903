#include "files/BatchProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "files/BatchTestFiles.h"
#include "files/FilePaths.h"
#include "stream/Models.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using namespace test;

TEST(BatchFiles, PatternMatching) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"cast1.raw", "*.raw", true},
        {"CAST1.RAW", "*.raw", true},
        {".raw", "*.raw", true},
        {"notes", "*.*", true},
        {"cast12.raw", "cast??.raw", true},
        {"cast1.raw", "cast??.raw", false},
        {"abcbc", "a*bc", true},
        {"abcbd", "a*bc", false},
        {"anything", "", true},
        {"x", "x.*", true},
    };
    for (const auto& [name, pattern, matches] : cases)
        EXPECT_EQ(MatchesFilePattern(name, pattern), matches) << name << " " << pattern;
}

TEST(BatchFiles, InstrumentTypeCompatibility) {
    // data type, calibration type, compatible
    const int cases[][3] = {
        {kVantor6, kVantor6, 1},     {kVantor4, kVantor6, 0},
        {kALumo, kCLumo, 0},         {kXLumo, kALumo, 1},
        {kXLumo, kCLumo, 1},         {kXLumo, kXLumo, 1},
        {kXLumo, kVantor6, 0},       {kUnknownType, kUnknownType, 0},
        {kVantor6, kUnknownType, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InstrumentTypesCompatible(c[0], c[1]), c[2] == 1) << c[0] << " " << c[1];
}

// A folder of raw files of several instruments and serial numbers, and some other files.
struct SourceFolder {
    TempDir dir;
    SourceFolder() {
        WriteFileBytes(dir.File("b.raw"), test::BatchRaw("vantor6.raw"));  // serial VN6-0412
        std::string other = test::BatchRaw("vantor6.raw");
        other.replace(other.find("Serial=VN6-0412"), 15, "Serial=VN6-0999");
        WriteFileBytes(dir.File("a.raw"), other);
        WriteFileBytes(dir.File("c.RAW"), test::BatchRaw("alumo.raw"));
        // no header: serial unknown
        WriteFileBytes(dir.File("g.raw"), test::BatchRaw("clumo.raw"));
        WriteFileBytes(dir.File("d.dat"), ReadFileBytes(DataPath("batch/vantor6.dat")));
        WriteFileBytes(dir.File("e.txt"), "notes\r\n");
        std::filesystem::create_directory(dir.File("f.raw"));
    }
};

TEST(BatchFiles, EligibleFilesAndTheCalibrationFilter) {
    SourceFolder src;
    const auto vantor = test::LoadCalibration(DataPath("batch/vantor6.cal"));
    const auto clumo = test::LoadCalibration(DataPath("batch/clumo.cal"));
    const std::string& f = src.dir.path();
    EXPECT_EQ(ListEligibleFiles(f, "*.raw", OutputKind::kCalibrated, false, &vantor),
              (Texts{"a.raw", "b.raw", "c.RAW", "g.raw"}));
    EXPECT_EQ(ListEligibleFiles(f, "*.*", OutputKind::kDecimal, true, &vantor),
              (Texts{"a.raw", "b.raw", "c.RAW", "d.dat", "e.txt", "g.raw"}));
    // The filter keeps raw files of the calibration's type and serial number.
    EXPECT_EQ(ListEligibleFiles(f, "*.*", OutputKind::kCalibrated, true, &vantor),
              (Texts{"b.raw"}));
    // A file without a serial number matches any calibration of its type.
    EXPECT_EQ(ListEligibleFiles(f, "*.*", OutputKind::kCalibrated, true, &clumo), (Texts{"g.raw"}));
    EXPECT_EQ(ListEligibleFiles(f, "*.raw", OutputKind::kCalibrated, true, nullptr), Texts{});
    EXPECT_EQ(ListEligibleFiles(f + "/none", "*.raw", OutputKind::kDecimal, false, nullptr),
              Texts{});
}

// Records what the window would show.
struct WindowLog : BatchObserver {
    std::vector<std::string> events;
    std::function<void(size_t)> onFileDone;
    void Begin(const std::string& caption) override { events.push_back("begin " + caption); }
    void End() override { events.push_back("end"); }
    void FileDone(size_t index, int error, const ConversionReport&) override {
        events.push_back("done " + std::to_string(index) + " " + std::to_string(error));
        if (onFileDone) onFileDone(index);
    }
};

struct Batch {
    SourceFolder src;
    TempDir out;
    ManualClock clock{test::kTestCreationDate};
    BatchEnvironment env;
    BatchRequest request;
    ScriptedPrompter prompter;
    WindowLog window;
    Batch() {
        env.header = test::HandHeaderSettings();
        env.clock = &clock;
        request.sourceFolder = src.dir.path();
        request.calFile = DataPath("batch/vantor6.cal");
        request.selected = {"a.raw", "b.raw", "g.raw"};
    }
    BatchOutcome Run(std::atomic<int>* cancel = nullptr) {
        return ProcessFiles(request, env, prompter, &window, cancel);
    }
};

TEST(BatchProcessing, ChecksStopWithTheirMessageInOrder) {
    const std::tuple<const char*, std::function<void(Batch&)>, const char*> cases[] = {
        {"no source folder",
         [](Batch& b) {
             b.request.sourceFolder += "/none";
             b.request.calFile.clear();
         },
         kNoSourceFolderMessage},
        {"no destination folder",
         [](Batch& b) {
             b.request.saveToSource = false;
             b.request.destinationFolder = b.out.File("none");
         },
         kNoDestinationFolderMessage},
        {"no calibration file", [](Batch& b) { b.request.calFile.clear(); },
         kNoCalibrationFileMessage},
        {"missing calibration file", [](Batch& b) { b.request.calFile = b.out.File("none.cal"); },
         kBadCalibrationFileMessage},
        {"nothing selected", [](Batch& b) { b.request.selected.clear(); }, kNothingSelectedMessage},
        {"decimal output needs no calibration",
         [](Batch& b) {
             b.request.output = OutputKind::kDecimal;
             b.request.calFile.clear();
             b.request.selected.clear();
         },
         kNothingSelectedMessage},
    };
    for (const auto& [what, change, message] : cases) {
        Batch b;
        change(b);
        const BatchOutcome outcome = b.Run();
        EXPECT_FALSE(outcome.started) << what;
        ASSERT_FALSE(b.prompter.shown.empty()) << what;
        EXPECT_EQ(b.prompter.shown.back(), message) << what;
        EXPECT_EQ(b.window.events, Texts{}) << what;
    }
}

TEST(BatchProcessing, OverwriteQuestionCountsTheExistingOutputs) {
    Batch b;
    b.request.saveToSource = false;
    b.request.destinationFolder = b.out.path();
    WriteFileBytes(b.out.File("a.dat"), "old a");
    WriteFileBytes(b.out.File("g.dat"), "old g");
    b.prompter.answers = {0};  // "Cancel"
    EXPECT_FALSE(b.Run().started);
    EXPECT_EQ(b.prompter.shown, Texts{"2 of the 3 files you selected will overwrite existing data "
                                      "files.  Do you wish to overwrite them?"});
    EXPECT_EQ(ReadFileBytes(b.out.File("a.dat")), "old a");
    EXPECT_FALSE(FileExists(b.out.File("b.dat")));

    b.prompter.answers = {1};  // "Overwrite"
    const BatchOutcome outcome = b.Run();
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(outcome.result.converted, 3u);
    EXPECT_EQ(b.window.events,
              (Texts{"begin Saving Calibrated Data", "done 0 0", "done 1 0", "done 2 0", "end"}));
    EXPECT_NE(ReadFileBytes(b.out.File("a.dat")), "old a");
}

TEST(BatchProcessing, OutputsBesideTheRawFilesNameTheirSourcesAndDecimalOnesGoWhereAsked) {
    Batch b;
    b.request.selected = {"b.raw", "c.RAW"};
    const BatchOutcome outcome = b.Run();
    ASSERT_TRUE(outcome.started);
    EXPECT_EQ(outcome.result.converted, 2u);
    const std::string dat = ReadFileBytes(b.src.dir.File("b.dat"));
    EXPECT_NE(dat.find("\r\nDataSource=" + b.src.dir.File("b.raw") + "\r\n"), std::string::npos);
    EXPECT_NE(dat.find("\r\nCalSource=" + b.request.calFile + "\r\n"), std::string::npos);
    // The a-Lumo file's samples are converted as Vantor-6 samples, as asked.
    EXPECT_NE(ReadFileBytes(b.src.dir.File("c.dat")).find("\r\nDeviceType=Vantor-6\r\n"),
              std::string::npos);
    // The serial numbers do not match, but without the filter the file converts all the same.
    b.request.selected = {"a.raw"};
    EXPECT_TRUE(b.Run().started);
    EXPECT_EQ(ReadFileBytes(b.src.dir.File("a.dat")).substr(dat.find("[Data]")),
              dat.substr(dat.find("[Data]")));

    b.window.events.clear();
    b.request.output = OutputKind::kDecimal;
    b.request.withHousekeeping = true;
    b.request.selected = {"b.raw"};
    b.request.saveToSource = false;
    b.request.destinationFolder = b.out.path();
    ASSERT_TRUE(b.Run().started);
    EXPECT_EQ(b.window.events.front(), "begin Saving Decimal Data");
    EXPECT_EQ(ReadFileBytes(b.out.File("b.dec")),
              ReadFileBytes(DataPath("batch/vantor6-housekeeping.dec")));
}

// One file that cannot be read is reported; the others are converted. With several jobs the
// files and the messages are the same, in the same order.
TEST(BatchProcessing, ErrorsAreReportedInListOrderWhateverTheJobs) {
    std::vector<std::string> shown[2];
    std::vector<std::string> events[2];
    std::string bytes[2];
    for (int run = 0; run < 2; ++run) {
        Batch b;
        b.request.jobs = run == 0 ? 1 : 3;
        b.request.saveToSource = false;
        b.request.destinationFolder = b.out.path();
        b.request.selected = {"x.raw", "a.raw", "b.raw", "y.raw", "g.raw", "c.RAW"};
        const BatchOutcome outcome = b.Run();
        EXPECT_EQ(outcome.result.converted, 4u);
        EXPECT_EQ(outcome.result.failed, 2u);
        shown[run] = b.prompter.shown;
        events[run] = b.window.events;
        for (const char* name : {"a.dat", "b.dat", "g.dat", "c.dat"})
            bytes[run] += ReadFileBytes(b.out.File(name));
        // The data sources name each run's own folder.
        for (size_t at; (at = bytes[run].find(b.src.dir.path())) != std::string::npos;)
            bytes[run].erase(at, b.src.dir.path().size());
        for (auto& s : shown[run]) s.replace(s.find(b.src.dir.path()), b.src.dir.path().size(), "");
    }
    EXPECT_EQ(shown[0], (Texts{"Error opening /x.raw: No such file or directory.",
                               "Error opening /y.raw: No such file or directory."}));
    EXPECT_EQ(shown[1], shown[0]);
    EXPECT_EQ(events[1], events[0]);
    EXPECT_EQ(events[0][1], "done 0 2");
    EXPECT_EQ(bytes[1], bytes[0]);
}

TEST(BatchProcessing, CancelStopsTheRunAndClearsTheFlag) {
    Batch b;
    b.request.selected = {"a.raw", "b.raw", "g.raw", "c.RAW"};
    std::atomic<int> cancel{0};
    b.window.onFileDone = [&](size_t) {
        EXPECT_EQ(cancel.load(), 1);  // set while the batch runs
        cancel = -1;                  // the progress window's Cancel
    };
    const BatchOutcome outcome = b.Run(&cancel);
    EXPECT_TRUE(outcome.started);
    EXPECT_TRUE(outcome.result.cancelled);
    EXPECT_EQ(outcome.result.converted, 1u);
    EXPECT_EQ(outcome.result.notStarted, 3u);
    EXPECT_EQ(cancel.load(), 0);
    EXPECT_TRUE(FileExists(b.src.dir.File("a.dat")));
    EXPECT_FALSE(FileExists(b.src.dir.File("b.dat")));
}

// With several jobs at once; a single job stops between files as in the test above.
TEST(BatchProcessing, NoFileStartsOnceCancelled) {
    TempDir dir;
    WriteFileBytes(dir.File("a.raw"), test::BatchRaw("clumo.raw"));
    std::vector<FileConversion> files;
    for (const char* name : {"1", "2", "3", "4"})
        files.push_back({dir.File("a.raw"), dir.File(std::string(name) + ".dec")});
    ConvertFilesOptions options;
    options.kind = OutputKind::kDecimal;
    options.jobs = 3;
    ScriptedPrompter prompter;
    const std::atomic<int> cancel{-1};
    const ConvertFilesResult r = ConvertFiles(files, options, prompter, nullptr, &cancel);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.notStarted, 4u);
    EXPECT_FALSE(FileExists(dir.File("1.dec")));
}

}  // namespace
}  // namespace tidewell
