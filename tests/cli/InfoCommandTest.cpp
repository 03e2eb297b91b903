#include <gtest/gtest.h>

#include <algorithm>

#include "ProgramRun.h"
#include "shell/cli/Subcommands.h"
#include "support/TestSupport.h"

namespace tidewell::cli {
namespace {

using test::DataPath;
using test::ProgramRun;

ProgramRun Info(std::vector<std::string> args) {
    return test::RunSubcommand(RunInfo, std::move(args));
}

TEST(InfoCommand, WhatTheHeadersSay) {
    struct Case {
        const char* file;
        const char* json;  // after the path
    };
    const Case cases[] = {
        {"batch/vantor6.raw",
         "\"recognized\": true, \"instrumentType\": 0, \"modelName\": \"Vantor-6\", "
         "\"deviceType\": \"Vantor-6\", \"serial\": \"VN6-0412\", \"config\": \"\", \"id\": \"\", "
         "\"fileType\": \"raw\", \"kind\": {\"instrumentType\": 0, \"modelName\": \"Vantor-6\", "
         "\"fileType\": \"raw\", \"serial\": \"VN6-0412\"}}"},
        // No header: the type comes from the packets, the serial is unknown.
        {"batch/clumo.raw",
         "\"recognized\": true, \"instrumentType\": 4, \"modelName\": \"c-Lumo\", "
         "\"deviceType\": \"\", \"serial\": \"unknown\", \"config\": \"\", \"id\": \"\", "
         "\"fileType\": \"\", \"kind\": {\"instrumentType\": 4, \"modelName\": \"c-Lumo\", "
         "\"fileType\": \"raw\", \"serial\": \"unknown\"}}"},
        {"batch/trevan2.dat",
         "\"recognized\": true, \"instrumentType\": 6, \"modelName\": \"Trevan-2\", "
         "\"deviceType\": \"Trevan-2\", \"serial\": \"C2-0033\", \"config\": \"\", \"id\": \"\", "
         "\"fileType\": \"dat\", \"kind\": {\"instrumentType\": 6, \"modelName\": \"Trevan-2\", "
         "\"fileType\": \"dat\", \"serial\": \"C2-0033\"}}"},
    };
    for (const auto& c : cases) {
        const std::string path = DataPath(c.file);
        const ProgramRun r = Info({path});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "{\"path\": \"" + path + "\", " + c.json + "\n") << c.file;
        EXPECT_EQ(r.err, "");
    }
}

TEST(InfoCommand, UnreadableFilesAreReportedAndTheRestShown) {
    test::TempDir dir;
    const ProgramRun r = Info({dir.File("none.raw"), DataPath("batch/alumo.raw"), dir.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error opening " + dir.File("none.raw") +
                         ": No such file or directory.\nError opening " + dir.path() +
                         ": Is a directory.\n");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
    EXPECT_EQ(r.out.substr(0, r.out.find(", \"recognized")),
              "{\"path\": \"" + DataPath("batch/alumo.raw") + "\"");
    EXPECT_EQ(Info({}).status, 2);
}

}  // namespace
}  // namespace tidewell::cli
