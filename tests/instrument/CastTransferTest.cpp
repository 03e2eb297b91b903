#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "files/FilePaths.h"
#include "instrument/CastTransfer.h"
#include "settings/SettingsKeys.h"
#include "tests/instrument/FakeInstrument.h"
#include "tools/packets/PacketBuilder.h"

namespace tidewell::test {
namespace {

// What the transfer window was shown.
struct TransferLog : CastTransferView {
    std::vector<std::string> statuses, labels;
    std::vector<int64_t> done;
    int beeps = 0;
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
    void ShowProgress(int64_t value, int64_t range, const std::string& label,
                      const std::string&) override {
        labels.push_back(label + " (" + std::to_string(value) + " of " + std::to_string(range) +
                         ")");
    }
    void CastDone(int64_t number, const std::string&, const std::string&) override {
        done.push_back(number);
    }
    void Beep() override { ++beeps; }
};

// An instrument that can also send a cast a piece per tick after its download command.
class CastsTest : public Answering {
  protected:
    CastsTest() {
        program.settings.Sigma.aStar = 0.04;
        program.settings.Sigma.aStarFile.clear();
        transfer.view = &log;
    }

    // Vantor-6 lines of a cast, each with its CR LF.
    static std::vector<std::string> CastLines(int count) {
        std::vector<std::string> lines;
        for (int i = 0; i < count; ++i) {
            ChannelPacketFields f;
            f.time = 1700000000 + i;
            for (int c = 0; c < 6; ++c) f.raw[c] = static_cast<int16_t>(1000 + 10 * c + i);
            lines.push_back(BuildDPacket(f) + "\r\n");
        }
        return lines;
    }
    // After "DOWNLOAD,<n>" the pieces go out one per tick.
    void SendOnDownload(int64_t number, std::vector<std::string> pieces) {
        Answer("DOWNLOAD," + std::to_string(number), "");
        downloads[number] = std::move(pieces);
    }
    void Tick() {
        for (auto& [n, pieces] : downloads) {
            if (pieces.empty() ||
                Port().written.find("DOWNLOAD," + std::to_string(n) + "\r") == std::string::npos)
                continue;
            pending.insert(pending.end(), pieces.begin(), pieces.end());
            pieces.clear();
        }
        if (!pending.empty()) {
            Port().Feed(pending.front());
            pending.pop_front();
        }
        if (onTick) onTick();
        TickAll();
    }

    std::map<int64_t, std::vector<std::string>> downloads;
    std::deque<std::string> pending;
    std::function<void()> onTick;
    SteppingWaiter stepper{clock, [this] { Tick(); }};
    RecordingSettings recordingSettings;
    RecordingContext recording{prompter, clock, recordingSettings, [] { return "/tmp/"; }};
    TransferLog log;
    CastTransferContext transfer{program, stepper, recording};
    TempDir temp;
    const std::string base = temp.File("run");
};

// Listed at the first look (a Vantor's listing: the logged-data window's test); an earlier
// answer before the heading (an erase's) ends no listing.
TEST_F(CastsTest, DirectoryListedAtTheFirstLook) {
    Connect(kALumo);
    Answer("DIR", "Log erased\r\n>\r\nCast Duration\r\n7 x 40\r\n>\r\n");
    CastDirectory d;
    EXPECT_EQ(LoadCastDirectory(transfer, 0, d), DirectoryResult::kLoaded);
    EXPECT_EQ(log.statuses, std::vector<std::string>{" Loaded"});
    ASSERT_EQ(d.entries().size(), 1u);
    EXPECT_EQ(d.entries()[0].text, "7 x 40 ");
    EXPECT_TRUE(Slot().lastCommand.empty());
}

TEST_F(CastsTest, NoDirectoryWithinTwentySeconds) {
    Connect(kVantor6);
    Answer("DIR", "'Cast  Duration\r\n'1 a 5\r\n");  // never ends
    const double start = clock.Now();
    CastDirectory d;
    EXPECT_EQ(LoadCastDirectory(transfer, 0, d), DirectoryResult::kTimedOut);
    ASSERT_EQ(log.statuses.size(), 21u);
    EXPECT_EQ(log.statuses[20], " Timeout; no directory");
    EXPECT_NEAR((clock.Now() - start) * 86400, 21, 0.01);
    EXPECT_TRUE(Slot().lastCommand.empty());
}

TEST_F(CastsTest, CastDownloadedIntoRawAndCalibratedFiles) {
    Calibrated();
    std::vector<std::string> pieces = CastLines(12);
    std::string sent;
    for (const std::string& p : pieces) sent += p;
    // the end comes in any letter case, and a line may be cut between two reads
    pieces.back() += "End Of Cast 3\r\n>\r\n";
    std::vector<std::string> chunks;
    for (size_t i = 0; i < pieces.size(); i += 2) chunks.push_back(pieces[i] + pieces[i + 1]);
    chunks[2].insert(0, chunks[1].substr(30));
    chunks[1].resize(30);
    SendOnDownload(3, chunks);

    const std::vector<CastEntry> casts = {{"3 a 12 "}};
    ASSERT_EQ(TransferCasts(transfer, 0, casts, base, true), TransferResult::kComplete);
    EXPECT_EQ(Port().written, "DOWNLOAD,3\r");
    const std::string raw = ReadFileBytes(base + "3.raw");
    const size_t data = raw.find("[EndHeader]\r\n");
    ASSERT_NE(data, std::string::npos);
    EXPECT_EQ(raw.substr(data + 13), sent + "End Of Cast 3\r\n>\r\n");
    const std::string dat = ReadFileBytes(base + "3.dat");
    const std::string rows = dat.substr(dat.find("[Data]\r\n") + 8);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 12);
    EXPECT_EQ(log.labels,
              (std::vector<std::string>{"Cast3: 0 /12 (0 of 12)", "Cast3: 12 /12 (12 of 12)"}));
    EXPECT_EQ(log.done, std::vector<int64_t>{3});
    EXPECT_EQ(store.Read(keys::DownloadDAT), "1");
    EXPECT_EQ(Slot().link.state, kLinkStopped);
    EXPECT_EQ(Slot().sampleCount, 0);  // a download is not live data
    EXPECT_FALSE(Slot().recording.files.rawFile.IsOpen());
}

// The carriage return of "End of cast 1" comes only after the next cast was asked for: it must
// not end that cast.
TEST_F(CastsTest, EndOfCastCutFromItsLineEndEndsOnlyItsOwnCast) {
    Calibrated();
    SendOnDownload(1, {CastLines(1)[0] + "End of cast 1"});
    std::vector<std::string> second = {"\r\n>\r\n"};
    for (const std::string& line : CastLines(3)) second.push_back(line);
    second.push_back("End of cast 2\r\n");
    SendOnDownload(2, second);
    ASSERT_EQ(TransferCasts(transfer, 0, {{"1 a 1 "}, {"2 a 3 "}}, base, true),
              TransferResult::kComplete);
    const std::string dat = ReadFileBytes(base + "2.dat");
    const std::string rows = dat.substr(dat.find("[Data]\r\n") + 8);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 3);
    EXPECT_EQ(log.done, (std::vector<int64_t>{1, 2}));
}

// A cast that ends before any sample came is said, and the transfer does not pass for complete;
// the casts after it still come, and "'DONE" ends a cast too. Without a calibrated file the
// lines are dropped.
TEST_F(CastsTest, CastEndingWithoutASampleIsReported) {
    Calibrated();
    SendOnDownload(4, {"No cast 4\r\nEnd of cast 4\r\n>\r\n"});
    SendOnDownload(5, {CastLines(1)[0] + "'DONE\r\n"});
    EXPECT_EQ(TransferCasts(transfer, 0, {{"4 a 9 "}, {"5 a 1 "}}, base, false),
              TransferResult::kEmptyCast);
    EXPECT_EQ(prompter.shown, std::vector<std::string>{"Cast 4 ended with no sample."});
    EXPECT_EQ(log.done, std::vector<int64_t>{5});
    EXPECT_TRUE(FileExists(base + "4.raw") && FileExists(base + "5.raw"));
    EXPECT_FALSE(FileExists(base + "5.dat"));
    EXPECT_EQ(store.Read(keys::DownloadDAT), "0");
    EXPECT_EQ(Slot().dataQueue.size(), 0);
}

TEST_F(CastsTest, StopEndsTheTransferAndKeepsWhatCame) {
    Calibrated();
    SendOnDownload(1, CastLines(50));
    onTick = [this] {
        if (Slot().downloadLineCount >= 4) program.cancelFlag = -1;
    };
    EXPECT_EQ(TransferCasts(transfer, 0, {{"1 a 50 "}, {"2 a 50 "}}, base, true),
              TransferResult::kCancelled);
    EXPECT_EQ(prompter.shown, std::vector<std::string>{"Transfer Cancelled"});
    EXPECT_EQ(Slot().outputQueue, "STOP\r");
    EXPECT_NE(ReadFileBytes(base + "1.raw").find(CastLines(50)[3]), std::string::npos);
    EXPECT_FALSE(FileExists(base + "2.raw"));
    EXPECT_FALSE(Slot().downloading);
}

TEST_F(CastsTest, SilenceStopsADownloadWhenALimitIsSet) {
    Calibrated();
    transfer.silenceLimitSeconds = 2;
    const double start = clock.Now();
    EXPECT_EQ(TransferCasts(transfer, 0, {{"1 a 50 "}}, base, true), TransferResult::kCancelled);
    EXPECT_NEAR((clock.Now() - start) * 86400, 2, 0.1);
}

TEST_F(CastsTest, TransferRefusedUnlessTheInstrumentIsStopped) {
    struct Case {
        int32_t state;
        const char* message;
    } cases[] = {
        {kLinkSampling, kAlreadySendingMessage},
        {kLinkStarting, kAlreadySendingMessage},
        {kLinkSleeping, kNotReadyMessage},
    };
    for (const Case& c : cases) {
        Calibrated().link.state = c.state;
        prompter.shown.clear();
        EXPECT_EQ(TransferCasts(transfer, 0, {{"1 a 5 "}}, base, true), TransferResult::kRefused);
        EXPECT_EQ(prompter.shown, std::vector<std::string>{c.message});
    }
    // while a download shows, the button stops it
    Calibrated().link.state = kLinkDownloading;
    prompter.shown.clear();
    EXPECT_EQ(TransferCasts(transfer, 0, {{"1 a 5 "}}, base, true), TransferResult::kCancelled);
    EXPECT_EQ(program.cancelFlag, -1);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_TRUE(Port().written.empty());
}

TEST_F(CastsTest, MissingFolderAndFilesNotOverwritten) {
    Calibrated();
    EXPECT_EQ(TransferCasts(transfer, 0, {{"1 a 5 "}}, temp.File("none/run"), true),
              TransferResult::kRefused);
    EXPECT_EQ(prompter.shown, std::vector<std::string>{kPathNotFoundMessage});

    WriteFileBytes(base + "3.raw", "keep");
    WriteFileBytes(base + "3.dat", "keep");
    prompter.shown.clear();
    prompter.answers = {0};
    EXPECT_EQ(TransferCasts(transfer, 0, {{"3 a 5 "}, {"4 a 5 "}}, base, true),
              TransferResult::kRefused);
    EXPECT_EQ(prompter.shown, std::vector<std::string>{base + "3.raw and " + base +
                                                       "3.dat already exist.  Overwrite them?"});
    EXPECT_EQ(ReadFileBytes(base + "3.raw"), "keep");
    EXPECT_TRUE(Port().written.empty());
}

std::vector<CastEntry> Listed() {
    return {{"1 a 25 "}, {"2 a 30 "}, {"3 a 35 "}};
}

TEST_F(CastsTest, DeleteOneCastWithConsent) {
    Connect(kTrevan2);
    std::vector<bool> selected(3, false);
    EXPECT_EQ(DeleteCasts(transfer, 0, Listed(), selected), DeleteResult::kNoneChosen);
    selected = {true, false, true};
    prompter.answers = {0};
    EXPECT_EQ(DeleteCasts(transfer, 0, Listed(), selected), DeleteResult::kDeclined);
    EXPECT_TRUE(Port().written.empty());

    sim::SimOptions trevan = SimModel(kTrevan2);
    trevan.casts = 3;
    instrument.Simulate(clock, trevan);
    selected = {false, true, false};
    EXPECT_EQ(DeleteCasts(transfer, 0, Listed(), selected), DeleteResult::kDeleted);
    EXPECT_EQ(prompter.shown, (std::vector<std::string>{"Select one or more casts to delete.",
                                                        "Permanently delete 2 casts?",
                                                        "Permanently delete cast 2?"}));
    EXPECT_EQ(selected, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(Port().written, "DELCAST2\r");
    EXPECT_EQ(instrument.sim->castCount(), 2);
    EXPECT_EQ(Slot().link.state, kLinkStopped);
}

// Clearing the log lasts while the deleting state does: the instrument's "deleted" ends it at
// once, any other answer when the no-data rule finds the instrument silent for 11 s.
TEST_F(CastsTest, DeletingEveryCastClearsTheLogWithAYes) {
    struct Case {
        const char* answer;
        int32_t state;
        double seconds;  // from the "Y" to the end of the wait
    } cases[] = {
        {"All casts deleted\r\n>\r\n", kLinkStopped, 0.05},
        {"Log erased\r\n>\r\n", kLinkNoData, 11.1},
    };
    for (const Case& c : cases) {
        Connect(kTrevan2);
        Port().written.clear();
        prompter.shown.clear();
        for (int n = 1; n <= 3; ++n)
            Answer("DELCAST" + std::to_string(n),
                   "Cast " + std::to_string(n) + " deleted\r\n>\r\n");
        Answer("CLEARLOG", "!Type Y for yes to erase all casts\r\n");
        double yes = 0;
        Answer("Y", c.answer);
        onTick = [&] {
            if (yes == 0 && Port().written.find("Y\r") != std::string::npos) yes = clock.Now();
        };
        std::vector<bool> selected(3, true);
        EXPECT_EQ(DeleteCasts(transfer, 0, Listed(), selected), DeleteResult::kDeleted);
        EXPECT_EQ(prompter.shown, std::vector<std::string>{"Permanently delete all data and "
                                                           "reset the cast number counter?"});
        EXPECT_EQ(Port().written, "DELCAST1\rDELCAST2\rDELCAST3\rCLEARLOG\rY\r");
        EXPECT_EQ(Slot().link.state, c.state) << c.answer;
        EXPECT_NEAR((clock.Now() - yes) * 86400, c.seconds, 0.01) << c.answer;
        onTick = nullptr;
    }
}

TEST_F(CastsTest, DeleteStopsAtAMissingCast) {
    Connect(kTrevan2);
    instrument.Simulate(clock, SimModel(kTrevan2));  // it holds no cast
    std::vector<bool> selected = {true, false, false};
    EXPECT_EQ(DeleteCasts(transfer, 0, Listed(), selected), DeleteResult::kFailed);
    EXPECT_TRUE(selected[0]);
    EXPECT_EQ(Slot().link.state, kLinkNoData);
    EXPECT_TRUE(Slot().lastCommand.empty());
}

TEST_F(CastsTest, EraseClearsTheLogAndListsAgain) {
    Connect(kALumo);
    sim::SimOptions aLumo = SimModel(kALumo);
    aLumo.casts = 2;
    instrument.Simulate(clock, aLumo);
    CastDirectory d;
    prompter.answers = {0, 1};
    EXPECT_FALSE(EraseCasts(transfer, 0, d));
    EXPECT_TRUE(Port().written.empty());
    EXPECT_TRUE(EraseCasts(transfer, 0, d));
    EXPECT_EQ(prompter.shown[0], EraseQuestion("a-Lumo"));
    EXPECT_EQ(log.beeps, 2);
    EXPECT_EQ(Port().written, "CLEARLOG\rDIR\r");
    EXPECT_TRUE(d.entries().empty());
    EXPECT_EQ(instrument.sim->castCount(), 0);
    EXPECT_EQ(d.memoryStatus(), "Free memory: 4194304 bytes ");
}

}  // namespace
}  // namespace tidewell::test
