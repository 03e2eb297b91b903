#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <tuple>

#include "ProgramRun.h"
#include "shell/cli/Subcommands.h"
#include "support/TestSupport.h"

namespace tidewell {
namespace {

using namespace test;

// The summary's last line, after the lines of each file.
std::string LastLine(const std::string& out) {
    const size_t end = out.rfind('\n', out.size() < 2 ? 0 : out.size() - 2);
    return end == std::string::npos ? out : out.substr(end + 1);
}

// A work folder with the batch test files and a configuration folder with matching settings.
struct Workspace {
    TempDir work;
    TempDir config;
    Workspace() {
        for (const char* name :
             {"vantor6.raw", "alumo.raw", "trevan2.raw", "vantor6.cal", "alumo.cal"})
            std::filesystem::copy_file(DataPath(std::string("batch/") + name), work.File(name));
        test::WriteHandSettings(config.path());
    }
    test::ProgramRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), "convert");
        return RunTidewell(args, work.path(), config.path());
    }
};

TEST(ConvertCommand, WritesWhatTheBatchConversionWrites) {
    Workspace w;
    const auto run = w.Run({"--cal", "vantor6.cal", "vantor6.raw"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "vantor6.dat: lines 30, samples 4, no sample 4 (bad checksums 1, no known kind 3, "
              "over-long 0)\nConverted 1 of 1 files\n");
    EXPECT_EQ(run.err, "");
    EXPECT_NE(ReadFileBytes(w.work.File("vantor6.dat"))
                  .find("\r\nDataSource=vantor6.raw\r\nCalSource=vantor6.cal\r\n"),
              std::string::npos);

    // a missing output folder is made; the outputs come in the order given whatever the jobs
    const auto dec = w.Run({"--decimal", "--housekeeping", "--jobs", "3", "--out", "dec",
                            "vantor6.raw", "alumo.raw", "trevan2.raw"});
    EXPECT_EQ(dec.status, 0);
    EXPECT_EQ(dec.out.substr(0, dec.out.find(':')), "dec/vantor6.dec");
    EXPECT_NE(dec.out.find("\ndec/alumo.dec: lines 18, samples 5, no sample 2 (bad checksums 1, "
                           "no known kind 1, over-long 0)\ndec/trevan2.dec: "),
              std::string::npos);
    EXPECT_EQ(LastLine(dec.out), "Converted 3 of 3 files\n");
    EXPECT_EQ(dec.err, "convert: warning: trevan2.raw gave no sample\n");
    EXPECT_EQ(ReadFileBytes(w.work.File("dec/vantor6.dec")),
              ReadFileBytes(DataPath("batch/vantor6-housekeeping.dec")));

    // Progress goes to the error stream when someone watches it (above, no one does), and is
    // cleared at the end.
    const auto shown = test::RunSubcommand(
        cli::RunConvert, {"--decimal", "--out", w.work.File("p"), w.work.File("alumo.raw")}, "",
        true);
    EXPECT_EQ(LastLine(shown.out), "Converted 1 of 1 files\n");
    const std::string start = "\rConverting: 0 of 1 files done, 0%\r";
    EXPECT_EQ(shown.err.substr(0, start.size()), start);
    EXPECT_EQ(shown.err.substr(shown.err.size() - 4), "\r\033[K");
}

TEST(ConvertCommand, RefusalsAndTheirExitCodes) {
    Workspace w;
    std::filesystem::create_directory(w.work.File("a"));
    std::filesystem::copy_file(w.work.File("alumo.raw"), w.work.File("a/alumo.raw"));
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{"vantor6.raw"}, 2, "convert: calibrated files need --cal CALFILE"},
        {{"--cal", "vantor6.cal"}, 2, "convert: no raw file given"},
        {{"--decimal", "--out", ".", "alumo.raw", "a/alumo.raw"},
         2,
         "convert: alumo.raw and a/alumo.raw would both be written to ./alumo.dec"},
        {{"--cal", "none.cal", "vantor6.raw"}, 1, "convert: none.cal: no such file\n"},
        // Each file is checked before any is converted.
        {{"--cal", "vantor6.cal", "vantor6.raw", "alumo.raw", "a/alumo.raw"},
         1,
         "convert: alumo.raw holds a-Lumo data, but vantor6.cal is a Vantor-6 calibration.  Use "
         "--force to convert it anyway.\n"
         "convert: a/alumo.raw holds a-Lumo data, but vantor6.cal is a Vantor-6 calibration.  "
         "Use --force to convert it anyway.\n"},
        {{"--decimal", "--out", "alumo.raw/dec", "alumo.raw"},
         1,
         "convert: Cannot make the folder alumo.raw/dec: Not a directory.\n"},
    };
    for (const auto& [args, status, err] : cases) {
        const auto run = w.Run(args);
        EXPECT_EQ(run.status, status) << testing::PrintToString(args);
        EXPECT_EQ(run.err.substr(0, err.size()), err) << testing::PrintToString(args);
        EXPECT_EQ(run.out, "") << testing::PrintToString(args);
    }
    EXPECT_FALSE(std::filesystem::exists(w.work.File("vantor6.dat")));
    EXPECT_FALSE(std::filesystem::exists(w.work.File("alumo.dec")));
}

TEST(ConvertCommand, OverwriteAndForceLiftTheirRefusals) {
    Workspace w;
    test::WriteFileBytes(w.work.File("alumo.dat"), "older");
    const auto refused = w.Run({"--cal", "alumo.cal", "alumo.raw"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "convert: alumo.dat already exists.  Use --overwrite to replace it.\n");
    EXPECT_EQ(ReadFileBytes(w.work.File("alumo.dat")), "older");
    // trevan2.raw holds data of another model than the calibration's
    const auto lifted =
        w.Run({"--cal", "alumo.cal", "--overwrite", "--force", "alumo.raw", "trevan2.raw"});
    EXPECT_EQ(lifted.status, 0);
    EXPECT_EQ(LastLine(lifted.out), "Converted 2 of 2 files\n");
    EXPECT_NE(ReadFileBytes(w.work.File("alumo.dat")), "older");
    EXPECT_TRUE(std::filesystem::exists(w.work.File("trevan2.dat")));
}

// SIGINT during a conversion: the temporary file goes, the older output stays, the exit status
// says it failed. The raw file is a pipe, so the signal comes while the conversion waits for
// more lines; it sees the end of its input only after the signal.
TEST(ConvertCommand, ASignalLeavesNoPartialOutput) {
    Workspace w;
    test::WriteFileBytes(w.work.File("pipe.dat"), "older");
    ASSERT_EQ(mkfifo(w.work.File("pipe.raw").c_str(), 0600), 0);
    // --force: the model check would read the pipe's header first.
    TidewellRun tidewell({"convert", "--cal", "vantor6.cal", "--force", "--overwrite", "pipe.raw"},
                         w.work.path(), w.config.path());
    int fd = -1;
    ASSERT_TRUE(tidewell.WaitFor(
        [&] { return (fd = open(w.work.File("pipe.raw").c_str(), O_WRONLY | O_NONBLOCK)) >= 0; }));
    const std::string raw = ReadFileBytes(w.work.File("vantor6.raw"));
    EXPECT_EQ(write(fd, raw.data(), raw.size()), static_cast<ssize_t>(raw.size()));
    EXPECT_TRUE(
        tidewell.WaitFor([&] { return std::filesystem::exists(w.work.File("pipe.dat.tmp")); }));
    kill(static_cast<pid_t>(tidewell.process.processId()), SIGINT);
    close(fd);
    const auto run = tidewell.Finish(20000);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(LastLine(run.out), "Converted 0 of 1 files\n");
    EXPECT_EQ(run.err, "convert: interrupted; the files not finished were not written\n");
    EXPECT_EQ(ReadFileBytes(w.work.File("pipe.dat")), "older");
    EXPECT_FALSE(std::filesystem::exists(w.work.File("pipe.dat.tmp")));
}

}  // namespace
}  // namespace tidewell
