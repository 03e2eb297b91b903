#include "shell/CommandLine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "ProgramRun.h"
#include "settings/AppSettings.h"
#include "shell/cli/Subcommands.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using namespace test;

TEST(CommandLine, SplitAndOutputName) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"  /data/cast 1.raw ; /cal/v6.cal  ", "/data/cast 1.raw", "/cal/v6.cal"},
        {"D.raw", "D.raw", ""},
        {"D.raw;C.cal;x", "D.raw", "C.cal;x"},
        {";C.cal", "", "C.cal"},
    };
    for (const auto& [line, raw, cal] : cases) {
        const CommandLineFiles f = SplitCommandLine(line);
        EXPECT_EQ(f.rawPath, raw) << line;
        EXPECT_EQ(f.calPath, cal) << line;
    }
    EXPECT_EQ(CommandLineOutputName("/data/casts/D.raw"), "D.dat");
    EXPECT_EQ(CommandLineOutputName("cast.2.raw"), "cast.2.dat");
    EXPECT_EQ(CommandLineOutputName("/data.x/cast"), "cast.dat");
}

// The program started with "D.raw;C.cal" writes D.dat in its working folder and ends, silent.
TEST(CommandLine, ConvertsIntoTheWorkingFolderOrWritesNothing) {
    TempDir files, work, config;
    test::WriteHandSettings(config.path());
    std::filesystem::copy_file(DataPath("batch/vantor6.raw"), files.File("D.raw"));
    std::filesystem::copy_file(DataPath("batch/vantor6.cal"), files.File("C.cal"));

    const auto run =
        RunTidewell({files.File("D.raw") + ";" + files.File("C.cal")}, work.path(), config.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    const std::string dat = ReadFileBytes(work.File("D.dat"));
    const std::string golden = ReadFileBytes(DataPath("batch/vantor6.dat"));
    EXPECT_EQ(dat.substr(dat.find("\r\nSerial=")), golden.substr(golden.find("\r\nSerial=")));
    EXPECT_NE(dat.find("\r\nDataSource=" + files.File("D.raw") +
                       "\r\nCalSource=" + files.File("C.cal") + "\r\n"),
              std::string::npos);

    // Missing files end it silently; a calibration file that cannot serve says why. Nothing is
    // written either way.
    std::filesystem::remove(work.File("D.dat"));
    test::WriteFileBytes(files.File("bad.cal"), "[General]\r\nDeviceType=Mystery\r\n");
    const std::pair<std::string, std::string> cases[] = {
        {files.File("D.raw"), ""},                              // no calibration named
        {files.File("X.raw") + ";" + files.File("C.cal"), ""},  // raw file missing
        {files.File("D.raw") + ";" + files.File("bad.cal"),
         files.File("bad.cal") + ": unknown instrument type\n"},
    };
    for (const auto& [line, err] : cases) {
        const auto failed = RunTidewell({line}, work.path(), config.path());
        EXPECT_EQ(failed.status, 1) << line;
        EXPECT_EQ(failed.out + failed.err, err) << line;
        EXPECT_TRUE(std::filesystem::is_empty(work.path())) << line;
    }

    // Blanks around the two paths are trimmed, even when the shell splits the words; the notices
    // start-up shows in a window go to the error stream, and the conversion goes on. Here a
    // table file is missing (a* would fall back on the shipped table; bbTilde has none).
    const std::string ini = config.File("Tidewell/Tidewell.ini");
    std::string settings = ReadFileBytes(ini);
    settings.replace(settings.find("bTilde=0.015"), 12, "bTilde=" + files.File("none.csv"));
    test::WriteFileBytes(ini, settings);
    const auto spaced =
        RunTidewell({files.File("D.raw"), ";", files.File("C.cal")}, work.path(), config.path());
    EXPECT_EQ(spaced.status, 0);
    EXPECT_EQ(spaced.err, std::string(kSigmaFilesMissingMessage) + "\n");
    EXPECT_TRUE(std::filesystem::exists(work.File("D.dat")));
}

// Every subcommand answers --help with its usage on stdout, and an option it does not know with
// exit status 2, the option named and the usage on stderr, before touching any file or port.
TEST(CommandLine, HelpAndUnknownOptionsOfEverySubcommand) {
    for (const cli::Subcommand& sub : cli::AllSubcommands()) {
        if (sub.run == nullptr) continue;  // the desktop program's own
        const auto help = test::RunSubcommand(sub.run, {"--help"});
        EXPECT_EQ(help.status, 0) << sub.name;
        EXPECT_EQ(help.out.rfind("Usage: tidewell ", 0), 0u) << sub.name;
        EXPECT_EQ(help.err, "") << sub.name;
        const auto wrong = test::RunSubcommand(sub.run, {"--no-such-option"});
        EXPECT_EQ(wrong.status, 2) << sub.name;
        EXPECT_EQ(wrong.out, "") << sub.name;
        EXPECT_NE(wrong.err.find("--no-such-option"), std::string::npos) << wrong.err;
        EXPECT_NE(wrong.err.find("Usage: tidewell "), std::string::npos) << wrong.err;
    }
    EXPECT_EQ(test::RunSubcommand(cli::FindSubcommand("help")->run, {"convert"}).out,
              test::RunSubcommand(cli::RunConvert, {"--help"}).out);

    // A first word that is no subcommand, holds no ";" and names no file is a mistake.
    TempDir work, config;
    const auto run = RunTidewell({"convrt", "x.raw"}, work.path(), config.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("tidewell: unknown command \"convrt\"\n", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("  tidewell convert "), std::string::npos) << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(work.path()));
}

}  // namespace
}  // namespace tidewell
