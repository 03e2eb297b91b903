// Sampling set-up, clock and casts against the simulator, run headless by the subcommands: the
// engine on the real port and its waits on the computer's clock.

#include <gtest/gtest.h>

#include <QSettings>
#include <cmath>
#include <sstream>

#include "instrument/InstrumentClock.h"
#include "instrument/Sampling.h"
#include "shell/cli/InstrumentSession.h"
#include "shell/cli/Subcommands.h"
#include "stream/DateValue.h"
#include "stream/NumberText.h"
#include "tests/cli/ProgramRun.h"
#include "tests/integration/SimProcess.h"

namespace tidewell::test {
namespace {

// The subcommands, run in this program with their own settings folder.
class HeadlessOperations : public ::testing::Test {
  protected:
    HeadlessOperations() {
        TestApplication();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(temp.File("config")));
    }
    // `port` goes after the subcommand and its action.
    int Run(std::vector<std::string> args) {
        args.insert(args.begin() + std::min<long>(2, static_cast<long>(args.size())), port.begin(),
                    port.end());
        const cli::Subcommand* sub = cli::FindSubcommand(args[0]);
        EXPECT_NE(sub, nullptr);
        const ProgramRun run = RunSubcommand(sub->run, {args.begin() + 1, args.end()});
        out = run.out;
        err = run.err;
        return run.status;
    }
    void Use(const Simulator& sim) {
        ASSERT_FALSE(sim.device().empty());
        port = {"--port", sim.device(), "--baud", "19200"};
    }
    TempDir temp;
    std::vector<std::string> port;
    std::string out, err;
};

TEST_F(HeadlessOperations, SamplingClockAndCastsHeadless) {
    const std::string tx = temp.File("tx.log");
    Simulator sim({"--model", "vantor-6", "--casts", "2", "--tx-log", tx});
    Use(sim);

    // bb/fl sharing below 0.3 s is taken with --yes
    ASSERT_EQ(Run({"sampling", "set", "--period", "0.2", "--fl1", "share", "--yes"}), 0) << err;
    EXPECT_NE(err.find(std::string(kTimeSharePeriodQuestion) + " [Yes]"), std::string::npos);
    EXPECT_NE(err.find("sampling: --period 0.2 was sent as 0.3\n"), std::string::npos) << err;
    EXPECT_NE(out.find("\"channel\": 7, \"wavelengthNm\": 470, \"mode\": \"share\""),
              std::string::npos)
        << out;

    ASSERT_EQ(Run({"clock", "set", "--to-computer"}), 0) << err;
    const size_t at = out.find("\"offsetSeconds\": ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_LT(std::abs(ReadDecimal(out.substr(at + 17))), 1.5) << out;

    const std::string base = temp.File("casts/cast");  // the folder is made
    ASSERT_EQ(Run({"casts", "download", "--casts", "2", "--out", base}), 0) << err;
    EXPECT_EQ(out,
              "{\"cast\": 2, \"raw\": \"" + base + "2.raw\", \"dat\": \"" + base + "2.dat\"}\n");
    // the cast as the instrument sent it, up to its end
    const std::string raw = ReadFileBytes(base + "2.raw");
    const size_t data = raw.find("[EndHeader]\r\n") + 13, end = raw.find("End of cast 2\r\n");
    ASSERT_LT(data, end);
    EXPECT_NE(ReadFileBytes(tx).find(raw.substr(data, end - data + 15)), std::string::npos);
    EXPECT_EQ(CountSampleLines(raw), 30);
    // after the next deployment only the new casts come: cast 2 is there, cast 1 only as the
    // start of a download that was stopped
    WriteFileBytes(base + "1.raw", "[Header]\r\n");
    ASSERT_EQ(Run({"casts", "download", "--all", "--skip-existing", "--yes", "--out", base}), 0)
        << err;
    EXPECT_EQ(out,
              "{\"cast\": 1, \"raw\": \"" + base + "1.raw\", \"dat\": \"" + base + "1.dat\"}\n");
    EXPECT_NE(err.find("casts: cast 2 is there already: " + base + "2.raw\n"), std::string::npos)
        << err;
    EXPECT_NE(err.find("Cast1: 0 /25\n"), std::string::npos) << err;  // progress as lines
    ASSERT_EQ(Run({"casts", "erase", "--yes"}), 0) << err;
    EXPECT_NE(out.find("\"casts\": []"), std::string::npos) << out;
    ASSERT_EQ(Run({"sleep"}), 0) << err;
}

// An a-Lumo takes what it is sent one character a tick: a value it did not take is reported,
// and what a subcommand queued last still reaches it before the port closes.
TEST_F(HeadlessOperations, SlowInstrumentGetsAllItWasSent) {
    Simulator sim({"--model", "a-lumo"});
    Use(sim);
    // with burst mode off the burst length is not sent
    EXPECT_EQ(Run({"sampling", "set", "--burst-length", "20"}), 1);
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
    ASSERT_EQ(Run({"clock", "get"}), 0) << err;
    EXPECT_NE(out.find("\"instrument\": \"01/01/20 00:0"), std::string::npos) << out;
}

}  // namespace
}  // namespace tidewell::test
