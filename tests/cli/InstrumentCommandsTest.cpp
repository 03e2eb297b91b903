#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "ProgramRun.h"
#include "shell/cli/InstrumentSession.h"
#include "shell/cli/Subcommands.h"

namespace tidewell::cli {
namespace {

TEST(InstrumentCommands, ConnectionFlagsAndCastNumbers) {
    const std::tuple<std::vector<std::string>, const char*> cases[] = {
        {{"--port", "/dev/pts/3", "--baud", "19200"}, ""},
        {{"--search", "--port", "/dev/x", "--cal", "a.cal"}, ""},
        {{"--baud", "19200"}, "--port DEV is needed (or --search)"},
        {{"--port", "/dev/x", "--baud", "14400"},
         "--baud must be one of 4800 9600 19200 38400 57600 115200"},
        {{"--search", "--baud", "9600"}, "--baud and --search exclude each other"},
        {{"--port"}, "--port needs a value"},
    };
    for (const auto& [args, expected] : cases) {
        ConnectOptions o;
        std::string error;
        for (size_t i = 0; i < args.size() && error.empty(); ++i) {
            EXPECT_TRUE(TakeConnectOption(args, i, o, error));
        }
        if (error.empty()) error = CheckConnectOptions(o);
        EXPECT_EQ(error, expected) << args[0];
    }
    ConnectOptions o;
    o.search = true;
    EXPECT_EQ(CheckConnectOptions(o, true), "--port DEV is needed");
    // the cast numbers of --casts
    std::vector<int64_t> n;
    EXPECT_TRUE(ParseNumberList("3,5,12", n));
    EXPECT_EQ(n, (std::vector<int64_t>{3, 5, 12}));
    for (const char* bad : {"", "3,", ",3", "3;5", "-1", "2.5", "x"}) {
        EXPECT_FALSE(ParseNumberList(bad, n)) << bad;
    }
}

TEST(InstrumentCommands, QuestionsAnsweredAndShown) {
    std::ostringstream err;
    CliPrompter plain(err);
    EXPECT_EQ(plain.Ask("Overwrite?", {"Yes", "Cancel"}), 0);
    EXPECT_EQ(plain.Ask("Save?", {"Yes", "No", "Cancel"}), -1);
    EXPECT_EQ(plain.Ask("OK?", {"OK"}), 1);
    EXPECT_EQ(plain.Ask("The connected instrument's serial number (A) ...",
                        {"Select Cal", "Use Current"}),
              0);
    CliPrompter yes(err, [](const std::string& text) { return text == "Erase?" ? 1 : 2; });
    EXPECT_EQ(yes.Ask("Erase?", {"Erase", "No"}), 1);
    EXPECT_EQ(yes.Ask("Other?", {"Yes", "No"}), 0);
    yes.ShowMessage("Transfer Complete");
    EXPECT_EQ(err.str(),
              "Overwrite? [Cancel]\nSave? [Cancel]\nOK? [OK]\n"
              "The connected instrument's serial number (A) ... [Use Current]\n"
              "Erase? [Erase]\nOther? [No]\nTransfer Complete\n");
    EXPECT_EQ(yes.shown().back(), "Transfer Complete");
}

TEST(InstrumentCommands, UsageErrorsComeBeforeAnyConnection) {
    const std::tuple<SubcommandFunction, std::vector<std::string>, const char*> cases[] = {
        {RunCasts, {}, "casts: list, download, delete or erase is needed\n"},
        {RunCasts, {"download", "--port", "/dev/x", "--all"}, "casts: --out BASE is needed\n"},
        {RunCasts, {"delete", "--port", "/dev/x"}, "casts: either --casts or --all is needed\n"},
        {RunSampling,
         {"set", "--port", "/dev/x", "--period", "-1"},
         "sampling: --period needs a value: a number, 0 or more\n"},
        {RunSampling,
         {"set", "--port", "/dev/x", "--period", "1", "--rate", "2"},
         "sampling: --period and --rate exclude each other\n"},
        {RunClock,
         {"set", "--port", "/dev/x", "--time", "12:00"},
         "clock: --time needs a date and time \"MM/DD/YY HH:MM:SS\"\n"},
        {RunReset,
         {"--seconds", "0", "--port", "/dev/x"},
         "reset: --seconds must be a number above 0\n"},
    };
    for (const auto& [subcommand, args, error] : cases) {
        const test::ProgramRun run = test::RunSubcommand(subcommand, args);
        EXPECT_EQ(run.status, 2) << error;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), error);
        EXPECT_NE(run.err.find("Usage: tidewell "), std::string::npos) << error;
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
}  // namespace tidewell::cli
