// Sampling set-up, clock and casts against the simulator: the engine on the real port and the
// 50 ms timer, and the subcommands that run them headless.

#include <gtest/gtest.h>

#include <QSettings>
#include <cmath>
#include <memory>
#include <sstream>

#include "files/RawConversion.h"
#include "instrument/CastTransfer.h"
#include "instrument/Connection.h"
#include "instrument/InputTimer.h"
#include "instrument/InstrumentClock.h"
#include "instrument/OperationWaits.h"
#include "instrument/ProgramState.h"
#include "instrument/Sampling.h"
#include "shell/cli/InstrumentSession.h"
#include "shell/cli/Subcommands.h"
#include "stream/NumberText.h"
#include "support/TestSupport.h"
#include "tests/integration/SimProcess.h"

namespace tidewell::test {
namespace {

constexpr double kDay = 86400.0;

class InstrumentOperations : public ::testing::Test {
  protected:
    InstrumentOperations() {
        TestApplication();
        program.settings.TempPath = temp.path() + "/";
        program.settings.Sigma.aStar = 0.04;
        program.settings.Sigma.aStarFile.clear();
        recordingSettings.header.sigma = program.settings.Sigma;
        recordingSettings.header.pureWater = program.settings.bbPrefs;
        timer.Start();
    }
    ~InstrumentOperations() override {
        if (Slot().port) Slot().port->Close();
    }
    InstrumentRecord& Slot() { return program.Slot(0); }

    // Starts the simulator of the model with two casts and connects to it with the calibration
    // it holds, from its file.
    std::unique_ptr<Simulator> Start(int model) {
        const std::string file = temp.File(ModelOption(model) + ".cal");
        EXPECT_TRUE(ModelCalibration(model, clock.Now() - 10).SaveCopyToFile(file));
        auto sim = std::make_unique<Simulator>(std::vector<std::string>{
            "--model", ModelOption(model), "--cal", file, "--casts", "2", "--tx-log", TxLog()});
        EXPECT_TRUE(
            Slot().Calibration().SetSourceFile(file, program.settings.Sigma, ctx.tables, prompter));
        Slot().calibrationLoaded = true;
        ctx.loadCalFromInstrument = false;
        EXPECT_TRUE(DoConnect(ctx, 0, false, sim->device(), 19200, {}));
        EXPECT_EQ(Slot().instrumentType, model);
        return sim;
    }
    std::string TxLog() const { return temp.File("tx.log"); }

    SystemClock clock;
    ScriptedPrompter prompter;
    MemorySettingsStore store;
    ProgramState program{clock, prompter, store};
    EventLoopWaiter waiter{clock};
    ConnectionContext ctx{program, waiter};
    InputTimer timer{program, 0};
    RecordingSettings recordingSettings;
    RecordingContext recording{prompter, clock, recordingSettings,
                               [this] { return temp.path() + "/"; }};
    CastTransferContext transfer{program, waiter, recording};
    TempDir temp;
};

// The set-up the instrument is given, and what it must read back as.
SamplingParameters NewSetUp(const SamplingParameters& current) {
    SamplingParameters p = current;
    p.period = 1.5f;
    p.startDelay = 3;
    p.burstMode = true;
    p.burstWarmup = 2;
    p.burstLength = 15;
    p.burstInterval = 7.5f;  // shorter than the instrument's 60
    p.startOnPowerUp = true;
    p.sleepWhenMemoryFull = true;
    p.totalDuration = 1.5f;
    p.fluorescenceMode[0] = kTimeShare;
    p.fluorescenceMode[1] = kFlOnly;
    return p;
}

void ExpectSameSetUp(const SamplingParameters& got, const SamplingParameters& want) {
    EXPECT_FLOAT_EQ(got.period, want.period);
    EXPECT_EQ(got.startDelay, want.startDelay);
    EXPECT_EQ(got.sleepWhenMemoryFull, want.sleepWhenMemoryFull);
    EXPECT_EQ(got.startOnPowerUp, want.startOnPowerUp);
    EXPECT_EQ(got.burstMode, want.burstMode);
    EXPECT_EQ(got.burstWarmup, want.burstWarmup);
    EXPECT_EQ(got.burstLength, want.burstLength);
    EXPECT_FLOAT_EQ(got.burstInterval, want.burstInterval);
    EXPECT_FLOAT_EQ(got.totalDuration, want.totalDuration);
    EXPECT_EQ(got.hexadecimalFormat, want.hexadecimalFormat);
    EXPECT_EQ(got.fluorescenceMode[0], want.fluorescenceMode[0]);
    EXPECT_EQ(got.fluorescenceMode[1], want.fluorescenceMode[1]);
}

// A calibrated file without the lines that name when and from what it was made.
std::string WithoutOrigin(std::string dat) {
    for (const char* key : {"\r\nCreationDate=", "\r\nDataSource="}) {
        const size_t at = dat.find(key);
        if (at == std::string::npos) continue;
        const size_t from = at + std::string(key).size();
        dat.erase(from, dat.find("\r\n", from) - from);
    }
    return dat;
}

std::string RawData(const std::string& raw) {
    const size_t at = raw.find("[EndHeader]\r\n");
    return at == std::string::npos ? std::string() : raw.substr(at + 13);
}

// Sampling set-up, clock and casts on the real port; the subcommands run them headless below.
// (A Trevan-2 or an a-Lumo, fed one character a tick, takes four times as long.)
TEST_F(InstrumentOperations, SetUpClockAndCasts) {
    const int model = kVantor6;
    const std::unique_ptr<Simulator> sim = Start(model);
    InstrumentRecord& r = Slot();
    ASSERT_TRUE(r.identified);

    // the set-up reads back as it was set
    ASSERT_TRUE(LoadSampleParams(program, waiter, 0));
    SamplingParameters edited = NewSetUp(r.sampling);
    const SamplingParameters wanted = edited;
    ASSERT_EQ(ApplySampleParams(program, waiter, 0, edited, true), ApplyResult::kApplied);
    ExpectSameSetUp(r.sampling, wanted);

    // set to the computer's time, the clock reads back within a second: the text is sent
    // when the time it carries is just past a whole second, so that only the reading's
    // own rounding is left
    const double lead = ClockLeadDays(model, kInputTimerMilliseconds) * kDay;
    waiter.WaitUntil(
        [&] {
            const double s = clock.Now() * kDay + lead;
            return s - std::floor(s) < 0.1;
        },
        2);
    ASSERT_TRUE(SetInstrumentClock(program, 0, clock.Now()));
    waiter.WaitUntil([&r] { return r.outputQueue.empty(); }, OutputDrainSeconds(r));
    ASSERT_TRUE(ReadInstrumentClock(program, waiter, 0));
    EXPECT_LT(std::abs(r.clockOffset * kDay), 1.0);

    // the casts come as the instrument sent them, and convert as their raw files do
    CastDirectory d;
    ASSERT_EQ(LoadCastDirectory(transfer, 0, d), DirectoryResult::kLoaded);
    ASSERT_EQ(d.entries().size(), 2u);
    EXPECT_EQ(d.entries()[0].Size(), 25);
    EXPECT_EQ(d.entries()[1].Size(), 30);
    const std::string base = temp.File(ModelOption(model) + "-");
    ASSERT_EQ(TransferCasts(transfer, 0, d.entries(), base, true), TransferResult::kComplete);
    const std::string tx = ReadFileBytes(TxLog());
    std::string both;
    for (const CastEntry& cast : d.entries()) {
        const std::string n = PlainInt(cast.Number());
        const std::string data = RawData(ReadFileBytes(base + n + ".raw"));
        EXPECT_EQ(CountSampleLines(data), cast.Size());
        // the end of the cast, and at most the prompt after it
        const std::string end = "End of cast " + n + "\r\n", prompt = ">\r\n";
        const size_t endAt = data.find(end);
        ASSERT_NE(endAt, std::string::npos);
        const std::string after = data.substr(endAt + end.size());
        EXPECT_EQ(prompt.rfind(after, 0), 0u) << after;
        both += data + prompt.substr(after.size());

        const std::string converted = temp.File("converted.dat");
        ASSERT_EQ(ConvertRawToDat(base + n + ".raw", converted, r.Calibration(),
                                  recordingSettings.header, clock.Now(), prompter),
                  0);
        const std::string dat = ReadFileBytes(base + n + ".dat");
        EXPECT_NE(dat.find("\r\nDataSource=Instrument Cast" + n + "\r\n"), std::string::npos);
        EXPECT_EQ(WithoutOrigin(dat), WithoutOrigin(ReadFileBytes(converted)));
    }
    // one after the other, nothing lost between them
    EXPECT_NE(tx.find(both), std::string::npos);

    prompter.answers = {1};
    EXPECT_TRUE(EraseCasts(transfer, 0, d));
    EXPECT_TRUE(r.directoryComplete);
    EXPECT_TRUE(d.entries().empty());
    EXPECT_NE(d.memoryStatus().find("Free memory"), std::string::npos);
    const std::vector<std::string> shown = {kTransferCompleteMessage,
                                            EraseQuestion(ModelName(model))};
    EXPECT_EQ(prompter.shown, shown);
    Disconnect(ctx, 0);
}

// The subcommands, run in this program with their own settings folder.
class HeadlessOperations : public ::testing::Test {
  protected:
    HeadlessOperations() {
        TestApplication();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(temp.File("config")));
    }
    int Run(std::vector<std::string> args) {
        const cli::Subcommand* sub = cli::FindSubcommand(args[0]);
        EXPECT_NE(sub, nullptr);
        std::istringstream in;
        std::ostringstream o, e;
        cli::CliContext context{{args.begin() + 1, args.end()}, in, o, e, false};
        const int status = sub->run(context);
        out = o.str();
        err = e.str();
        return status;
    }
    TempDir temp;
    std::string out, err;
};

TEST_F(HeadlessOperations, SamplingClockAndCastsHeadless) {
    Simulator sim({"--model", "vantor-6", "--casts", "2"});
    ASSERT_FALSE(sim.device().empty());
    const std::vector<std::string> port = {"--port", sim.device(), "--baud", "19200"};
    auto with = [&port](std::vector<std::string> args) {
        // after the subcommand and its action
        args.insert(args.begin() + std::min<long>(2, static_cast<long>(args.size())), port.begin(),
                    port.end());
        return args;
    };

    // bb/fl sharing below 0.3 s is taken with --yes
    ASSERT_EQ(Run(with({"sampling", "set", "--period", "0.2", "--fl1", "share", "--yes"})), 0)
        << err;
    EXPECT_NE(err.find(std::string(kTimeSharePeriodQuestion) + " [Yes]"), std::string::npos);
    EXPECT_NE(err.find("sampling: --period 0.2 was sent as 0.3\n"), std::string::npos) << err;
    EXPECT_NE(out.find("\"periodSeconds\": 0.3, "), std::string::npos) << out;
    EXPECT_NE(out.find("\"channel\": 7, \"wavelengthNm\": 470, \"mode\": \"share\""),
              std::string::npos)
        << out;

    ASSERT_EQ(Run(with({"clock", "set", "--to-computer"})), 0) << err;
    const size_t at = out.find("\"offsetSeconds\": ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_LT(std::abs(ReadDecimal(out.substr(at + 17))), 1.5) << out;

    const std::string base = temp.File("casts/cast");  // the folder is made
    ASSERT_EQ(Run(with({"casts", "download", "--casts", "2", "--out", base})), 0) << err;
    EXPECT_EQ(out,
              "{\"cast\": 2, \"raw\": \"" + base + "2.raw\", \"dat\": \"" + base + "2.dat\"}\n");
    EXPECT_NE(err.find("Transfer Complete"), std::string::npos);
    EXPECT_EQ(CountSampleLines(ReadFileBytes(base + "2.raw")), 30);
    // after the next deployment only the new casts come: cast 2 is there, cast 1 only as the
    // start of a download that was stopped
    WriteFileBytes(base + "1.raw", "[Header]\r\n");
    ASSERT_EQ(Run(with({"casts", "download", "--all", "--skip-existing", "--yes", "--out", base})),
              0)
        << err;
    EXPECT_EQ(out,
              "{\"cast\": 1, \"raw\": \"" + base + "1.raw\", \"dat\": \"" + base + "1.dat\"}\n");
    EXPECT_NE(err.find("casts: cast 2 is there already: " + base + "2.raw\n"), std::string::npos)
        << err;
    EXPECT_NE(err.find("Cast1: 0 /25\n"), std::string::npos) << err;  // progress as lines
    ASSERT_EQ(Run(with({"casts", "erase", "--yes"})), 0) << err;
    EXPECT_NE(out.find("\"casts\": []"), std::string::npos) << out;
    ASSERT_EQ(Run(with({"sleep"})), 0) << err;
    EXPECT_EQ(Run({"casts", "list"}), 2);
}

// An a-Lumo takes what it is sent one character a tick: a value it did not take is reported,
// and what a subcommand queued last still reaches it before the port closes.
TEST_F(HeadlessOperations, SlowInstrumentGetsAllItWasSent) {
    Simulator sim({"--model", "a-lumo"});
    ASSERT_FALSE(sim.device().empty());
    const std::vector<std::string> port = {"--port", sim.device(), "--baud", "19200"};
    // with burst mode off the burst length is not sent
    std::vector<std::string> set = {"sampling", "set", "--burst-length", "20"};
    set.insert(set.end(), port.begin(), port.end());
    EXPECT_EQ(Run(set), 1);
    EXPECT_NE(err.find("sampling: the a-Lumo did not take --burst-length 20: it reads 10\n"),
              std::string::npos)
        << err;

    std::istringstream in;
    std::ostringstream o, e;
    cli::CliContext context{{}, in, o, e, false};
    cli::CliPrompter prompter(e);
    {
        cli::InstrumentSession session(context, prompter);
        cli::ConnectOptions options;
        options.port = sim.device();
        options.baud = 19200;
        ASSERT_TRUE(session.Connect(options)) << e.str();
        // queued, not waited for: the session closes the port next
        ASSERT_TRUE(SetInstrumentClock(session.program(), cli::InstrumentSession::kSlot,
                                       DateValue(2020, 1, 1)));
    }
    std::vector<std::string> get = {"clock", "get"};
    get.insert(get.end(), port.begin(), port.end());
    ASSERT_EQ(Run(get), 0) << err;
    EXPECT_NE(out.find("\"instrument\": \"01/01/20 00:0"), std::string::npos) << out;
}

}  // namespace
}  // namespace tidewell::test
