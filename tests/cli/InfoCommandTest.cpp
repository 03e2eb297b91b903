#include <gtest/gtest.h>

#include <algorithm>

#include "ProgramRun.h"
#include "shell/cli/Subcommands.h"
#include "support/TestSupport.h"

namespace tidewell::cli {
namespace {

using namespace test;

ProgramRun Info(std::vector<std::string> args) {
    return test::RunSubcommand(RunInfo, std::move(args));
}

// What the file's header says beside what its data lines tell (the readers' rules are the file
// tests'): a recording without a header.
TEST(InfoCommand, WhatTheHeadersSay) {
    const std::string path = DataPath("batch/clumo.raw");
    const ProgramRun r = Info({path});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "{\"path\": \"" + path +
                  "\", \"recognized\": true, \"instrumentType\": 4, \"modelName\": "
                  "\"c-Lumo\", \"deviceType\": \"\", \"serial\": \"unknown\", \"config\": "
                  "\"\", \"id\": \"\", \"fileType\": \"\", \"kind\": {\"instrumentType\": 4, "
                  "\"modelName\": \"c-Lumo\", \"fileType\": \"raw\", \"serial\": \"unknown\"}}\n");
    EXPECT_EQ(r.err, "");
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
