#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "ProgramRun.h"
#include "shell/cli/Subcommands.h"
#include "support/TestSupport.h"

namespace tidewell::cli {
namespace {

using namespace test;

ProgramRun Cal(std::vector<std::string> args) {
    return test::RunSubcommand(RunCal, std::move(args));
}

// How many entries a folder holds.
long Count(const std::string& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
}

TEST(CalCommand, ShowPrintsEveryModelAsOneJsonObject) {
    const std::tuple<const char*, std::vector<std::string>> cases[] = {
        {"vantor6.saved.cal",
         {"\"DeviceType\": 0, \"Model\": \"Vantor-6\", \"Serial\": \"VN6-0412\"",
          "\"CalTimeText\": \"2010-01-01 12:34:56\"", "\"DepthCal\": 0.0123457",
          "\"ChannelCount\": 8, \"bChannels\": 6, \"HasOffsets\": true",
          "{\"index\": 1, \"kind\": \"scattering\", \"name\": \"bb(470)\", \"lambda\": 470",
          "\"gain\": [1,9.87654,98.7654,987.654,123456]", "\"OldSigmaK1\": 0.974",
          "\"ChEx\": 1, \"ChRep\": 8, \"IsExcitationForChannel\": 0, \"IsSharedReceiver\": true",
          "{\"index\": 7, \"kind\": \"fluorescence\", \"name\": \"FL(470)\"",
          "\"IsVirtualChannel\": true", "\"attenuation\": []}\n"}},
        {"trevan2.saved.cal",
         {"\"Model\": \"Trevan-2\"", "\"kp1\": 0.0125", "\"ChannelCount\": 0, \"bChannels\": 0",
          "\"channels\": []",
          "{\"index\": 0, \"name\": \"c(532)\", \"lambda\": 532, \"KLambda\": 532",
          "\"KkT\": [0.6,0.01,5e-04,0,0,0], \"KkTNormaliser\": 1",
          "{\"index\": 1, \"name\": \"c(650)\""}},
    };
    for (const auto& [file, parts] : cases) {
        const ProgramRun r = Cal({"show", DataPath(std::string("cal/") + file)});
        EXPECT_EQ(r.status, 0) << file;
        EXPECT_EQ(r.err, "") << file;
        ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << file;
        size_t at = 0;
        for (const std::string& part : parts) {
            const size_t found = r.out.find(part, at);
            EXPECT_NE(found, std::string::npos) << file << ": " << part;
            if (found != std::string::npos) at = found + part.size();
        }
    }
}

// Saving: the layout of each model is the calibration file tests' own; here an older .ini file,
// saved over itself. Bad input says why and leaves no file.
TEST(CalCommand, SaveAndBadInput) {
    TempDir dir;
    const std::string ini = dir.File("legacy.ini");
    WriteFileBytes(ini, ReadFileBytes(DataPath("cal/legacy.ini")));
    const ProgramRun r = Cal({"save", ini, ini});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_EQ(ReadFileBytes(ini).substr(0, 46), "[General]          //Saved by Tidewell 2.82\r\nD");

    WriteFileBytes(dir.File("unknown.cal"), "[General]\r\nDeviceType=Vantor-9\r\n");
    WriteFileBytes(dir.File("keep.cal"), "old");
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{"save", dir.File("unknown.cal"), dir.File("keep.cal")},
         1,
         "cal save: " + dir.File("unknown.cal") + ": unknown instrument type\n"},
        {{"show", dir.path()},
         1,
         "Error opening file: Is a directory.\n" + dir.path() + "\ncal show: " + dir.path() +
             ": the file could not be read\n"},
        {{"save", DataPath("cal/vantor4.cal"), dir.File("no/such/folder/out.cal")},
         1,
         "cal save: cannot write " + dir.File("no/such/folder/out.cal") +
             ": No such file or directory\n"},
        {{}, 2, "Usage: tidewell cal show FILE\n       tidewell cal save IN OUT\n"},
    };
    for (const auto& [args, status, err] : cases) {
        const ProgramRun r = Cal(args);
        EXPECT_EQ(r.status, status) << err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, err);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("keep.cal")), "old");
    EXPECT_EQ(Count(dir.path()), 3);  // the three written here: no temporary file is left
}

}  // namespace
}  // namespace tidewell::cli
