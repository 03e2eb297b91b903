#include <gtest/gtest.h>

#include "stream/Models.h"
#include "tools/sim/SimOptions.h"

namespace tidewell::sim {
namespace {

TEST(SimOptions, ReadsEveryOption) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(ParseSimOptions({"--model",
                                 "C-Lumo",
                                 "--cal",
                                 "x.cal",
                                 "--serial",
                                 "CL-9",
                                 "--baud",
                                 "9600",
                                 "--period",
                                 ".25",
                                 "--drop-every",
                                 "7",
                                 "--bad-checksum-every",
                                 "5",
                                 "--casts",
                                 "4",
                                 "--seed",
                                 "9",
                                 "--truth",
                                 "t",
                                 "--tx-log",
                                 "l",
                                 "--link",
                                 "k",
                                 "--asleep",
                                 "--old-firmware",
                                 "--silent",
                                 "--reset-on-hangup"},
                                o, error))
        << error;
    EXPECT_EQ(o.model, kCLumo);
    EXPECT_EQ(o.calPath, "x.cal");
    EXPECT_EQ(o.serial, "CL-9");
    EXPECT_EQ(o.baud, 9600);
    EXPECT_EQ(o.period, 0.25);
    EXPECT_EQ(o.dropEvery, 7);
    EXPECT_EQ(o.badChecksumEvery, 5);
    EXPECT_EQ(o.casts, 4);
    EXPECT_EQ(o.seed, 9u);
    EXPECT_EQ(o.truthPath, "t");
    EXPECT_EQ(o.txLogPath, "l");
    EXPECT_EQ(o.linkPath, "k");
    EXPECT_TRUE(o.asleep && o.oldFirmware && o.silent && o.resetOnHangup);
    EXPECT_FALSE(o.streaming || o.shutter);
}

TEST(SimOptions, RefusesWhatNoInstrumentCouldBe) {
    const std::vector<std::vector<std::string>> bad = {
        {"--model", "vantor-8"},
        {"--model"},
        {"--baud", "fast"},
        {"--period", "0"},
        {"--period", "-1"},
        {"--casts", "100"},
        {"--drop-every", "1.5"},
        {"--shutter", "--model", "a-lumo"},
        {"--old-firmware", "--model", "x-lumo"},
        {"--asleep", "--streaming"},
        {"--frobnicate"},
    };
    for (const auto& args : bad) {
        SimOptions o;
        std::string error;
        EXPECT_FALSE(ParseSimOptions(args, o, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
    for (const char* name :
         {"vantor-6", "vantor-4", "vantor-2", "a-lumo", "c-lumo", "x-lumo", "trevan-2"})
        EXPECT_EQ(ModelName(ModelFromOption(name)).size(), std::string(name).size()) << name;
}

}  // namespace
}  // namespace tidewell::sim
