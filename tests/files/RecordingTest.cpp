// Recording into temporary files, saving and closing: the files written and every question and
// message, word for word.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "files/FilePaths.h"
#include "files/Recording.h"
#include "stream/DateValue.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using namespace test;

namespace fs = std::filesystem;

const char kPortData[] =
    "S>\r$run\rVantor-6 running 21.5\xb0"
    "C\r\n*D000A1B2C0001000200030004000500060007000833333333000012FF00\r*D000A1B2";

class Events : public RecordingObserver {
  public:
    int opened = 0;
    int closed = 0;
    int busy = 0;
    std::vector<int> typesChosen;
    void RecordingOpened(const RecordingWindow&) override { ++opened; }
    void RecordingClosed(const RecordingWindow&) override { ++closed; }
    void SetBusy(bool on) override { busy += on ? 1 : -1; }
    void SaveTypeChosen(int type) override { typesChosen.push_back(type); }
};

class Recording : public ::testing::Test {
  protected:
    Recording() {
        calibration.DeviceType = 0;
        calibration.Serial = "VN123456";
        calibration.Config = "cfg A";
        window.index = 1;
        window.instrumentType = 0;
        window.serialNumber = "VN123456";
        window.connected = true;
        window.calibration = &calibration;
        settings.instance = 1;
        fs::create_directory(temp);
    }

    int Open(const std::string& kind = "raw", bool withDat = true) {
        return OpenDataFiles(window, kind, withDat, context);
    }
    int Save() { return SaveFileMenuCommand(window, context); }
    int SaveAs() { return SaveAsMenuCommand(window, context); }
    int Close(bool force = false) { return CloseDataFiles(window, force, context); }
    // What the raw file holds after its header.
    static std::string DataSection(const std::string& file) {
        size_t end = file.find("[EndHeader]\r\n");
        return end == std::string::npos ? "" : file.substr(end + 13);
    }

    TempDir dir;
    std::string temp = dir.File("tmp");
    ScriptedPrompter prompter;
    ManualClock clock{DateTimeValue({2005, 7, 4, 14, 3, 9})};
    RecordingSettings settings;
    Events events;
    CalibrationDataClass calibration;
    RecordingWindow window;
    RecordingContext context{prompter, clock, settings, [this] { return temp + "/"; }, &events};
};

TEST_F(Recording, RawFileHoldsHeaderAndEverythingReceivedInAnyChunking) {
    settings.header.userHeader = "Cruise 12\r\nStation 4";
    const std::string data(kPortData, sizeof kPortData - 1);
    const std::string golden = ReadFileBytes(DataPath("files/recording.raw"));
    ASSERT_FALSE(golden.empty());
    // Pieces of growing size (lines cut anywhere), of 7 bytes, and all at once.
    for (int scheme = 0; scheme < 3; ++scheme) {
        ASSERT_EQ(Open(), 1);
        EXPECT_EQ(window.files.rawTempPath, temp + "/untitled11.raw");
        EXPECT_EQ(window.files.datTempPath, temp + "/untitled11.dat");
        for (size_t at = 0, n = 1; at < data.size(); at += n) {
            n = scheme == 0 ? n + 1 : scheme == 1 ? 7 : data.size();
            AppendRaw(window, data.substr(at, n));
        }
        EXPECT_TRUE(window.unsavedData);
        window.files.rawFile.Close();
        EXPECT_EQ(ReadFileBytes(window.files.rawTempPath), golden) << scheme;
        ASSERT_EQ(Close(true), 1);  // no question, temporary files deleted
        EXPECT_FALSE(fs::exists(temp + "/untitled11.dat"));
    }
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(Recording, RawHeaderLinesFollowWindowAndCalibration) {
    const std::tuple<const char*, const char*, bool, bool, const char*, const char*, const char*>
        cases[] = {
            {"/d/a.dat", "/d/b.raw", true, true, "", "DataSource=/d/a.dat", "CalSource=Vantor-6"},
            {"", "/d/b.raw", true, false, "/c/x.cal", "DataSource=/d/b.raw", "CalSource=/c/x.cal"},
            {"", "", true, true, "", "DataSource=VN123456", "CalSource=Vantor-6"},
            {"", "", false, false, "", "DataSource=VN123456", "CalSource=Vantor-6"},
            {"", "", false, true, "", "DataSource=", "CalSource=Vantor-6"},
        };
    for (const auto& [shownDat, shownRaw, connected, unnamed, source, dataSourceLine,
                      calSourceLine] : cases) {
        window.files.shownDatFile = shownDat;
        window.files.shownRawFile = shownRaw;
        window.connected = connected;
        window.files.unnamed = unnamed;
        calibration.SetSourceFileName(source);
        std::string header;
        AppendRawHeader(header, window, "rmu", "", clock.Now());
        EXPECT_NE(header.find("\r\nFileType=rmu\r\nDeviceType=Vantor-6\r\n" +
                              std::string(dataSourceLine) + "\r\n" + calSourceLine + "\r\n"),
                  std::string::npos)
            << header;
    }
}

TEST_F(Recording, CalibratedTemporaryFileStartsWithItsHeader) {
    calibration.SetSourceFileName("/c/VN123456.cal");
    ASSERT_EQ(Open("", true), 1);  // no raw file
    EXPECT_FALSE(window.files.rawFile.IsOpen());
    EXPECT_TRUE(window.files.rawTempPath.empty());
    window.files.datFile.Close();
    const std::string dat = ReadFileBytes(window.files.datTempPath);
    EXPECT_NE(dat.find("\r\nFileType=dat\r\nDeviceType=Vantor-6\r\nDataSource=Vantor-6\r\n"
                       "CalSource=/c/VN123456.cal\r\n"),
              std::string::npos);
    EXPECT_EQ(dat.substr(dat.size() - 8), "[Data]\r\n");
}

TEST_F(Recording, UnnamedRecordingSavesThroughTheDialogAndSavingTwiceCopiesEverything) {
    ASSERT_EQ(Open(), 1);
    EXPECT_TRUE(window.files.unnamed);
    AppendRaw(window, "first\r");
    const std::string base = dir.File("cast");
    prompter.savePaths = {base + ".raw"};
    EXPECT_EQ(Save(), 1);  // unnamed: Save asks for names
    EXPECT_EQ(prompter.shown, Texts{"Save As"});
    EXPECT_FALSE(window.files.unnamed);
    EXPECT_FALSE(window.unsavedData);
    EXPECT_EQ(window.files.rawName, base + ".raw");
    EXPECT_EQ(window.files.datName, base + ".dat");
    EXPECT_EQ(DataSection(ReadFileBytes(base + ".raw")), "first\r");
    EXPECT_NE(ReadFileBytes(base + ".dat").find("[Data]\r\n"), std::string::npos);

    AppendRaw(window, "second\r");  // recording goes on into the temporary file
    EXPECT_TRUE(window.unsavedData);
    EXPECT_EQ(Save(), 1);  // named now: no dialog
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(DataSection(ReadFileBytes(base + ".raw")), "first\rsecond\r");
    EXPECT_EQ(events.busy, 0);  // the busy pointer always comes back
    EXPECT_EQ(events.typesChosen, std::vector<int>{1});
}

TEST_F(Recording, NamingOnOpenKeepsTheChosenTypeAndCancellingItStillRecords) {
    settings.nameFilesOnOpen = true;
    settings.saveLiveType = 2;  // remembered: raw data only
    prompter.savePaths = {dir.File("named.xyz")};
    ASSERT_EQ(Open(), 1);
    EXPECT_FALSE(window.files.unnamed);
    EXPECT_EQ(window.files.rawName, dir.File("named.raw"));
    EXPECT_EQ(window.files.datName, "");
    EXPECT_EQ(Save(), 1);
    EXPECT_TRUE(fs::exists(dir.File("named.raw")));
    EXPECT_FALSE(fs::exists(dir.File("named.dat")));

    prompter.savePaths = {""};  // cancel: the recording goes on unnamed, and Save asks later
    ASSERT_EQ(Open(), 1);
    EXPECT_TRUE(window.files.unnamed);
    EXPECT_TRUE(window.files.rawFile.IsOpen());
    AppendRaw(window, "data\r");
    prompter.savePaths = {dir.File("later.raw")};
    EXPECT_EQ(Save(), 1);
    EXPECT_EQ(prompter.shown, (Texts{"Save As", "Save As", "Save As"}));
    EXPECT_EQ(DataSection(ReadFileBytes(dir.File("later.raw"))), "data\r");
}

TEST_F(Recording, SaveAsAsksBeforeReplacingAndRemembersTheType) {
    EXPECT_EQ(SaveAs(), 0);
    ASSERT_EQ(Open(), 1);
    WriteFileBytes(dir.File("old.raw"), "x");
    WriteFileBytes(dir.File("old.dat"), "x");
    WriteFileBytes(dir.File("half.dat"), "x");
    prompter.savePaths = {dir.File("old.raw"), dir.File("half"), dir.File("new")};
    prompter.saveTypes = {1, 3, 3};
    prompter.answers = {0, 0};  // "No" twice: back to the dialog
    EXPECT_EQ(SaveAs(), 1);
    EXPECT_EQ(
        prompter.shown,
        (Texts{
            "No data loaded.  Cannot save any files.", "Save As",
            dir.File("old.raw") + " and " + dir.File("old.dat") + " already exist.  Replace them?",
            "Save As", dir.File("half.dat") + " already exists.  Replace it?", "Save As"}));
    EXPECT_EQ(window.files.rawName, "");
    EXPECT_EQ(window.files.datName, dir.File("new.dat"));
    EXPECT_TRUE(fs::exists(dir.File("new.dat")));
    EXPECT_FALSE(fs::exists(dir.File("new.raw")));
    EXPECT_EQ(settings.saveLiveType, 3);
    EXPECT_EQ(events.typesChosen, std::vector<int>{3});
    prompter.savePaths = {""};  // a cancelled dialog
    EXPECT_EQ(SaveAs(), -1);
}

TEST_F(Recording, FailedCopyLeavesTheNamedFileAndKeepsTheTemporaryOne) {
    ASSERT_EQ(Open(), 1);
    AppendRaw(window, "kept\r");
    const std::string target = dir.File("old.raw");
    WriteFileBytes(target, "good");
    fs::create_symlink("/dev/full", PartialName(target));  // the copy fills the disk
    prompter.savePaths = {target};
    prompter.saveTypes = {2};
    prompter.answers = {1};  // replace it
    EXPECT_EQ(SaveAs(), 0);
    EXPECT_EQ(prompter.shown.back(),
              "Error 28 (No space left on device) occurred while saving " + target);
    EXPECT_EQ(ReadFileBytes(target), "good");
    EXPECT_TRUE(window.unsavedData);
    AppendRaw(window, "more\r");  // recording goes on

    // closing keeps it out of the next recording's way and says where
    ASSERT_EQ(Close(true), 1);
    const std::string kept = temp + "/untitled11-1.raw";
    EXPECT_EQ(prompter.shown.back(), "The data that could not be saved are kept in " + kept + ".");
    EXPECT_EQ(DataSection(ReadFileBytes(kept)), "kept\rmore\r");
    EXPECT_FALSE(fs::exists(temp + "/untitled11.dat"));  // saved nowhere, but not asked to be
}

TEST_F(Recording, BufferIsWrittenOutEveryFewSecondsAndAFailedWriteIsTold) {
    ASSERT_EQ(Open("raw", false), 1);
    const std::string path = window.files.rawTempPath;
    const std::string rows(60000, 'x');  // stays in the buffer
    AppendRaw(window, rows);
    EXPECT_EQ(fs::file_size(path), 0u);
    FlushRecordingIfDue(window, clock.Now(), prompter);
    const auto flushed = fs::file_size(path);
    EXPECT_GT(flushed, rows.size());
    AppendRaw(window, "y");
    clock.AdvanceSeconds(kFlushSeconds - 0.1);
    FlushRecordingIfDue(window, clock.Now(), prompter);
    EXPECT_EQ(fs::file_size(path), flushed);
    clock.AdvanceSeconds(0.2);
    FlushRecordingIfDue(window, clock.Now(), prompter);
    EXPECT_EQ(fs::file_size(path), flushed + 1);

    window.files.rawFile.Open("/dev/full");  // the disk fills
    AppendRaw(window, "z");
    for (int i = 0; i < 2; ++i) {
        clock.AdvanceSeconds(kFlushSeconds);
        FlushRecordingIfDue(window, clock.Now(), prompter);
    }
    EXPECT_EQ(prompter.shown, Texts{"Error writing /dev/full: No space left on device."});
    window.files.unnamed = false;
    window.files.rawName = dir.File("z.raw");
    EXPECT_EQ(Save(), 0);  // a recording with a gap is no success
}

TEST_F(Recording, LostTemporaryFolderStopsRecordingWithAMessage) {
    ASSERT_EQ(Open("raw", false), 1);
    AppendRaw(window, "kept\r");
    fs::remove_all(temp);
    prompter.savePaths = {dir.File("y.raw")};
    EXPECT_EQ(Save(), 0);
    const std::string tempRaw = temp + "/untitled11.raw";
    EXPECT_EQ(
        prompter.shown,
        (Texts{"Save As",
               "Error 2 (No such file or directory) occurred while saving " + dir.File("y.raw"),
               "Error 2 (No such file or directory) occured while attempting to open " + tempRaw +
                   "for appending.  No new data will be saved."}));
    EXPECT_FALSE(window.files.rawFile.IsOpen());
    AppendRaw(window, "dropped\r");  // skipped silently
}

TEST_F(Recording, TemporaryFilesThatCannotBeOpenedAreSwitchedOff) {
    temp = dir.File("no/such/folder");
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(prompter.shown,
              (Texts{"Error opening " + temp + "/untitled11.raw: No such file or directory.",
                     "Error opening " + temp + "/untitled11.dat: No such file or directory."}));
    EXPECT_FALSE(window.files.rawFile.IsOpen());
    EXPECT_FALSE(window.files.datFile.IsOpen());
    AppendRaw(window, "nowhere");
    EXPECT_EQ(events.opened, 1);
}

TEST_F(Recording, ClosingAsksAboutUnsavedData) {
    const std::string question =
        "The graph contains unsaved data from Vantor-6 VN123456.  Save the data before "
        "proceeding?";
    ASSERT_EQ(Open(), 1);
    const std::string receiving =
        "You are receiving data from the Vantor-6. Is it OK to close the files now?";
    window.acquisitionState = 3;  // nothing unsaved yet, but data arrive
    prompter.answers = {0};       // Cancel
    EXPECT_EQ(Close(), -1);
    AppendRaw(window, "x\r");
    const std::string rawTemp = window.files.rawTempPath;

    prompter.answers = {-1, -1};  // Cancel, when closing and when opening anew
    EXPECT_EQ(Close(), -1);
    EXPECT_EQ(Open(), -1);
    EXPECT_TRUE(window.files.rawFile.IsOpen());
    EXPECT_TRUE(window.unsavedData);

    prompter.answers = {1};  // Yes, then cancel the dialog
    prompter.savePaths = {""};
    EXPECT_EQ(Close(), -1);
    EXPECT_TRUE(window.files.rawFile.IsOpen());

    prompter.answers = {0};  // No: close without saving
    window.headerText = "loaded";
    window.files.shownRawFile = "/d/b.raw";
    EXPECT_EQ(Close(), 1);
    EXPECT_EQ(prompter.shown,
              (Texts{receiving, question, question, question, "Save As", question}));
    EXPECT_FALSE(window.files.rawFile.IsOpen());
    EXPECT_FALSE(fs::exists(rawTemp));
    EXPECT_TRUE(window.files.rawTempPath.empty());
    EXPECT_TRUE(window.headerText.empty());
    EXPECT_TRUE(window.files.shownRawFile.empty());
    EXPECT_FALSE(window.unsavedData);
    EXPECT_EQ(events.closed, 2);  // opening closes first
}

}  // namespace
}  // namespace tidewell
