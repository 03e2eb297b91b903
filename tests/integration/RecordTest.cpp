// `tidewell record` against the simulator: the program as a field recorder would run it, one
// recorder per family, all at once.

#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <algorithm>
#include <memory>

#include "stream/NumberText.h"
#include "tests/integration/SimProcess.h"

namespace tidewell::test {
namespace {

// What follows `marker` in `text` ("" without it), up to the end of its line when `line`.
std::string After(const std::string& text, const std::string& marker, bool line = false) {
    const size_t at = text.find(marker);
    if (at == std::string::npos) return std::string();
    const std::string rest = text.substr(at + marker.size());
    return line ? rest.substr(0, rest.find('\n')) : rest;
}

// The data section of a raw file: what follows its header.
std::string RawData(const std::string& raw) {
    return After(raw, "[EndHeader]\r\n");
}

int64_t DatRowCount(const std::string& dat) {
    return static_cast<int64_t>(DataRows(dat).size());
}

// The one temporary calibration a recorder left in its temporary folder.
std::string TemporaryCalibration(const std::string& dir) {
    const QStringList found =
        QDir(QString::fromStdString(dir + "/tmp/Tidewell")).entryList({"temp*.cal"}, QDir::Files);
    return found.size() == 1 ? dir + "/tmp/Tidewell/" + found[0].toStdString() : std::string();
}

TEST(Record, EachFamilyRecordsWhatTheInstrumentSent) {
    TestApplication();
    TempDir temp;
    // found by the search at the first three rates it tries (the others cost three seconds
    // each and are tried in the unit tests), an x-Lumo with its model chosen
    const struct {
        int model;
        int32_t rate;
    } kCases[] = {{kVantor6, 19200}, {kCLumo, 9600}, {kXLumo, 19200}, {kTrevan2, 38400}};
    std::vector<std::unique_ptr<Simulator>> sims;
    std::vector<std::unique_ptr<TidewellRun>> runs;
    const auto folder = [&temp](int model) { return temp.File(ModelOption(model)); };
    for (const auto& [model, rate] : kCases) {
        const std::string calFile = folder(model) + "/instrument.cal";
        QDir().mkpath(QString::fromStdString(folder(model)));
        ASSERT_TRUE(ModelCalibration(model, 45000).SaveCopyToFile(calFile));
        sims.push_back(std::make_unique<Simulator>(std::vector<std::string>{
            "--model", ModelOption(model), "--cal", calFile, "--baud", PlainInt(rate), "--period",
            "0.05", "--tx-log", folder(model) + "/tx.log"}));
        ASSERT_FALSE(sims.back()->device().empty());
        std::vector<std::string> args = {
            "record",     "--port", sims.back()->device(), "--out", folder(model) + "/rec",
            "--duration", "2"};
        if (model == kXLumo)
            args.insert(args.end(), {"--type", "x-lumo", "--baud", "19200", "--cal", calFile});
        else
            args.push_back("--search");
        runs.push_back(std::make_unique<TidewellRun>(args, folder(model), folder(model)));
    }
    std::vector<ProgramRun> done;
    for (auto& run : runs) done.push_back(run->Finish(60000));
    for (auto& sim : sims) sim->Stop();  // its log is complete once it has gone

    for (size_t i = 0; i < std::size(kCases); ++i) {
        const int model = kCases[i].model;
        SCOPED_TRACE(ModelName(model));
        const std::string dir = folder(model);
        const ProgramRun& run = done[i];
        ASSERT_EQ(run.status, 0) << run.err;
        // the closing line counts the rows written
        EXPECT_EQ(ReadDecimal(After(run.out, ", samples ", true)),
                  static_cast<double>(DatRowCount(ReadFileBytes(dir + "/rec.dat"))));

        const std::string raw = ReadFileBytes(dir + "/rec.raw");
        EXPECT_NE(raw.find("\r\nDeviceType=" + ModelName(model) + "\r\n"), std::string::npos);
        const std::string data = RawData(raw);
        const std::string tx = ReadFileBytes(dir + "/tx.log");
        // the raw file holds what the instrument sent while recording, byte for byte, and
        // every sample it sent
        const size_t at = tx.find(data);
        ASSERT_NE(at, std::string::npos);
        EXPECT_GT(CountSampleLines(data), 20);
        EXPECT_EQ(CountSampleLines(tx.substr(0, at)), 0);
        EXPECT_EQ(CountSampleLines(tx.substr(at + data.size())), 0);

        // the calibrated file is what converting the raw file gives
        const std::string cal =
            model == kXLumo ? dir + "/instrument.cal" : TemporaryCalibration(dir);
        ASSERT_FALSE(cal.empty());
        const ProgramRun convert = RunTidewell(
            {"convert", "--cal", cal, "--out", dir + "/converted", dir + "/rec.raw"}, dir, dir);
        ASSERT_EQ(convert.status, 0) << convert.err;
        const std::vector<std::string> live = DataRows(ReadFileBytes(dir + "/rec.dat"));
        EXPECT_FALSE(live.empty());
        EXPECT_EQ(live, DataRows(ReadFileBytes(dir + "/converted/rec.dat")));
    }
}

// Lets `run` go on until the simulator's log holds `count` sample lines; false when the run
// ended first or 20 s passed.
bool SimSent(TidewellRun& run, const std::string& txLog, int count) {
    return run.WaitFor([&] { return CountSampleLines(ReadFileBytes(txLog)) >= count; });
}

// Unplugged, and with no room for the calibrated file: both failures reach the exit status,
// and what was read is kept, the calibrated rows in a temporary file that is named.
TEST(Record, AnUnpluggedInstrumentOnAFullDiskEndsWithEverythingReadKept) {
    TestApplication();
    TempDir temp;
    const std::string tx = temp.File("tx.log"), base = temp.File("cut");
    Simulator sim({"--model", "vantor-2", "--period", "0.05", "--tx-log", tx});
    ASSERT_FALSE(sim.device().empty());
    ASSERT_TRUE(QFile::link("/dev/full", QString::fromStdString(base + ".dat.tmp")));
    TidewellRun run({"record", "--port", sim.device(), "--baud", "19200", "--out", base},
                    temp.path(), temp.path());
    ASSERT_TRUE(SimSent(run, tx, 20)) << run.Finish(0).err;
    sim.Kill();
    const ProgramRun done = run.Finish();
    ASSERT_EQ(done.status, 1) << done.err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(base + ".dat")));
    const std::string data = RawData(ReadFileBytes(base + ".raw"));
    EXPECT_GT(CountSampleLines(data), 10);
    std::string kept = After(done.err, "The data that could not be saved are kept in ", true);
    ASSERT_FALSE(kept.empty()) << done.err;
    kept.pop_back();  // the full stop
    EXPECT_EQ(DatRowCount(ReadFileBytes(kept)), CountSampleLines(data));
}

TEST(Record, WithReconnectARepluggedInstrumentGoesOnIntoTheSameFilesSavedAsItGoes) {
    TestApplication();
    TempDir temp;
    const std::string link = temp.File("instrument"), base = temp.File("field");
    const std::string tx1 = temp.File("tx1.log"), tx2 = temp.File("tx2.log");
    // left by a simulator that was killed: the next one takes the name over
    ASSERT_TRUE(QFile::link("/dev/tidewell-gone", QString::fromStdString(link)));
    auto sim = std::make_unique<Simulator>(std::vector<std::string>{
        "--model", "vantor-2", "--period", "0.05", "--link", link, "--tx-log", tx1});
    ASSERT_FALSE(sim->device().empty());
    TidewellRun run({"record", "--port", link, "--baud", "19200", "--out", base, "--reconnect",
                     "--save-every", "0.5", "--sleep-on-exit"},
                    temp.path(), temp.path());
    ASSERT_TRUE(SimSent(run, tx1, 20)) << run.Finish(0).err;
    // saved every half second; a save may be under way as the file is read
    std::string snapshot;
    run.WaitFor([&] { return CountSampleLines(snapshot = ReadFileBytes(base + ".raw")) > 0; });
    ASSERT_GT(CountSampleLines(snapshot), 0);
    sim->Stop();  // unplugged: the name goes with the device
    sim = std::make_unique<Simulator>(std::vector<std::string>{
        "--model", "vantor-2", "--period", "0.05", "--seed", "2", "--link", link, "--tx-log", tx2});
    ASSERT_TRUE(SimSent(run, tx2, 20)) << run.Finish(0).err;
    ::kill(static_cast<pid_t>(run.process.processId()), SIGINT);
    const ProgramRun done = run.Finish();
    ASSERT_EQ(done.status, 0) << done.err;
    for (const char* said : {" was lost: ", "Recording resumed at ",
                             "Put the Vantor-2 to sleep before disconnecting? [Yes]"})
        EXPECT_NE(done.err.find(said), std::string::npos) << said << done.err;
    // the temporary files are gone
    EXPECT_TRUE(QDir(QString::fromStdString(temp.path() + "/tmp/Tidewell"))
                    .entryList({"untitled*"}, QDir::Files)
                    .isEmpty());

    // the raw file holds a piece of what the first instrument sent, then a piece of what the
    // second sent: nothing between them of the new connection, nothing lost on either side
    const std::string raw = ReadFileBytes(base + ".raw"), data = RawData(raw);
    EXPECT_EQ(raw.substr(0, snapshot.size()), snapshot);
    const std::string first = ReadFileBytes(tx1), second = ReadFileBytes(tx2);
    size_t cut = 0, beyond = data.size() + 1;  // the longest start of `data` found in `first`
    while (beyond - cut > 1) {
        const size_t mid = (cut + beyond) / 2;
        (first.find(data.substr(0, mid)) != std::string::npos ? cut : beyond) = mid;
    }
    EXPECT_GT(CountSampleLines(data.substr(0, cut)), 10);
    EXPECT_GT(CountSampleLines(data.substr(cut)), 10);
    EXPECT_NE(second.find(data.substr(cut)), std::string::npos);
    EXPECT_EQ(data.find("Identification:"), std::string::npos);
    EXPECT_EQ(DatRowCount(ReadFileBytes(base + ".dat")), CountSampleLines(data));
}

TEST(Record, RefusalsComeBeforeAnyConnection) {
    TestApplication();
    TempDir temp;
    WriteFileBytes(temp.File("old.raw"), "kept");
    WriteFileBytes(temp.File("file"), "x");  // no folder can be under it
    const struct {
        const char* port;
        const char* out;  // under the temporary folder, or none
        int status;
        std::string err;
    } cases[] = {
        {"/dev/null", "", 2, "record: --out BASE is needed\n"},
        {"/dev/null", "old", 1, "old.raw already exists"},
        {"/dev/null", "file/sub/rec", 1,
         "Error opening " + temp.File("file/sub/rec.raw") + ": Not a directory.\n"},
        {"/dev/tidewell-none", "new", 1, "Port /dev/tidewell-none could not be opened. "},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"record", "--port", c.port, "--baud", "9600"};
        if (*c.out) args.insert(args.end(), {"--out", temp.File(c.out)});
        const ProgramRun run = RunTidewell(args, temp.path(), temp.path());
        EXPECT_EQ(run.status, c.status) << c.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFileBytes(temp.File("old.raw")), "kept");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(temp.File("new.raw"))));
}

}  // namespace
}  // namespace tidewell::test
