#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "ProgramRun.h"
#include "shell/cli/Subcommands.h"
#include "stream/Decoder.h"
#include "support/TestSupport.h"

namespace tidewell::cli {
namespace {

using namespace test;

ProgramRun Decode(std::vector<std::string> args, const std::string& input = "") {
    return test::RunSubcommand(RunDecode, std::move(args), input);
}

// The start of an output line up to its record's instrument type.
std::string Head(int line, int kind, bool sample, int type) {
    return "{\"line\": " + std::to_string(line) + ", \"kind\": " + std::to_string(kind) +
           ", \"kindName\": \"" + LineKindName(static_cast<LineKind>(kind)) +
           "\", \"sample\": " + (sample ? "true" : "false") +
           ", \"record\": {\"instrumentType\": " + std::to_string(type) + ",";
}

constexpr const char* kHandD = "*D0000162E00010002FFFF7FFF8000001000A00B0012345670FFFF963C4B";

// Every kind of line end, a header packet, a bad checksum, an empty line and a Latin-1 byte.
TEST(DecodeCommand, GoldenOutput) {
    const std::string input = test::ReadFileBytes(test::DataPath("decode/mixed-lines.txt"));
    const std::string golden = test::ReadFileBytes(test::DataPath("decode/mixed-lines.jsonl"));
    ASSERT_FALSE(golden.empty());
    const ProgramRun fromStdin = Decode({"--type", "0"}, input);
    EXPECT_EQ(fromStdin.status, 0);
    EXPECT_EQ(fromStdin.out, golden);
    EXPECT_EQ(fromStdin.err, "");
    const ProgramRun fromFile =
        Decode({"--type=Vantor-6", test::DataPath("decode/mixed-lines.txt")});
    EXPECT_EQ(fromFile.out, golden);
}

TEST(DecodeCommand, TypeByCodeOrModelName) {
    const std::string line = "12.5,7,1,2,3,4,5,6\n";  // a sample for single-channel models only
    const std::tuple<const char*, int, bool> cases[] = {
        {"3", 3, true}, {"x-lumo", 5, true}, {"Trevan-2", 6, false}, {"7", 7, false}};
    for (const auto& [type, code, sample] : cases) {
        const ProgramRun r = Decode({"--type", type}, line);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind(Head(1, 0, sample, code), 0), 0u) << type << r.out;
    }
    // --guess adds the model the line suggests
    EXPECT_NE(Decode({"--guess"}, std::string(kHandD) + "\n").out.find("true, \"guess\": 0, "),
              std::string::npos);
}

// The CR ends the first read of 64 KiB and its LF starts the next: one line end. Longer lines
// are cut and reported.
TEST(DecodeCommand, CrLfAcrossReadsAndOverlongLines) {
    const std::string input = std::string(65535, 'x') + "\r\n" + std::string(70000, '*') + "\n" +
                              std::string(200000, '\0') + "\n" + kHandD;
    const ProgramRun r = Decode({}, input);
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 4);
    EXPECT_NE(r.out.find("\n" + Head(4, 1, true, 7)), std::string::npos);
    EXPECT_EQ(r.err,
              "decode: line 2 is longer than 65536 bytes; only its first 65536 bytes were "
              "decoded\n"
              "decode: line 3 is longer than 65536 bytes; only its first 65536 bytes were "
              "decoded\n");
}

TEST(DecodeCommand, BadArgumentsAndFiles) {
    const std::string usage = "Usage: tidewell decode [--type CODE|MODEL] [--guess] [FILE|-]\n";
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{"--type"}, 2, "decode: --type needs an instrument type\n" + usage},
        {{"--type", "8"}, 2, "decode: unknown instrument type \"8\"\n" + usage},
        {{"a", "b"}, 2, "decode: only one input can be decoded at a time\n" + usage},
        {{"/no/such/file.raw"}, 1, "Error opening /no/such/file.raw: No such file or directory.\n"},
    };
    for (const auto& [args, status, err] : cases) {
        const ProgramRun r = Decode(args);
        EXPECT_EQ(r.status, status) << err;
        EXPECT_EQ(r.err, err);
        EXPECT_EQ(r.out, "");
    }
    test::TempDir dir;
    const ProgramRun r = Decode({dir.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error opening " + dir.path() + ": Is a directory.\n");
}

}  // namespace
}  // namespace tidewell::cli
