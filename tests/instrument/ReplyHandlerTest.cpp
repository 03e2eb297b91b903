#include <string>
#include <vector>

#include "instrument/Commands.h"
#include "instrument/ReplyHandler.h"
#include "tests/instrument/EngineFixture.h"

namespace tidewell::test {
namespace {

const std::vector<std::string> kVantor6Reply = {
    "Identification: Corvane",
    "Model: VN6",
    "Serial Number: VN6-0412",
    "Configuration: T1,D",
    std::string("Options: 600m\x01junk"),
    "Firmware: 3.10",
    "Channels: 8",
    "Done",
};

class Replies : public EngineTest {
  protected:
    // Feeds the reply lines one by one (each as its own chunk) and reports after how many
    // lines the identification was complete.
    int LinesUntilComplete(InstrumentRecord& r, const std::vector<std::string>& lines) {
        for (size_t i = 0; i < lines.size(); ++i) {
            Receive(lines[i] + "\r\n", r.index);
            if (r.idComplete) return static_cast<int>(i) + 1;
        }
        return -1;
    }
};

TEST_F(Replies, ModernIdentificationNeedsTheModelsLineCount) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        int completeAfter;  // -1: never
        const char* model;
        const char* serial;
    } cases[] = {
        {"Vantor-6 with the header first: 8 lines", kVantor6Reply, 8, "Vantor-6", "VN6-0412"},
        // an echo before the header; empty lines are no reply lines and do not count
        {"c-Lumo: 6 lines",
         {"ID", "Identification:", "Model: C-Lumo", "S: CB9", "", "a", "b", "x"},
         8,
         "c-Lumo",
         "CB9"},
        {"a model the program does not know never completes",
         {"Identification:", "Model: X-Lumo", "SN: X1", "a: b", "c: d", "e", "f", "g", "h"},
         -1,
         "X-Lumo",
         "X1"},
        {"no header, no answer", {"?", "ERR", "Model: VN6"}, -1, "", ""},
    };
    for (const Case& c : cases) {
        InstrumentRecord& r = Connect(kUnknownType);
        r.modelName.clear();
        r.serialNumber.clear();
        SendCommand(program, "ID", 0);
        EXPECT_EQ(LinesUntilComplete(r, c.lines), c.completeAfter) << c.name;
        EXPECT_EQ(r.modelName, c.model) << c.name;
        EXPECT_EQ(r.serialNumber, c.serial) << c.name;
        EXPECT_EQ(r.lastCommand, c.completeAfter > 0 ? "" : "ID") << c.name;
        if (&c == cases) {
            EXPECT_EQ(r.identification1, "T1,D");
            EXPECT_EQ(r.identification2, "600m");  // cut at the control character
        }
    }
}

TEST_F(Replies, OlderSingleChannelAnswer) {
    struct Case {
        const char* line;
        bool identified;
        const char* model;
    } cases[] = {
        {"AB1234", true, "a-Lumo"}, {"CB77", true, "c-Lumo"}, {"AB12.5", true, "a-Lumo"},
        {"AB12x", false, ""},       {"BB1234", false, ""},    {"AB", false, ""},
    };
    for (const Case& c : cases) {
        InstrumentRecord& r = Connect(kUnknownType);
        r.modelName.clear();
        r.identification1 = "old";
        SendCommand(program, "ID", 0);
        Receive(std::string("ID\r") + c.line + "\r");
        EXPECT_EQ(r.idComplete, c.identified) << c.line;
        EXPECT_EQ(r.modelName, c.model) << c.line;
        if (c.identified) {
            EXPECT_EQ(r.serialNumber, c.line);
            EXPECT_EQ(r.identification1, "");
        }
    }
}

TEST_F(Replies, VersionWakeStoreAndUnknownCommands) {
    InstrumentRecord& r = Connect(kALumo);
    SendCommand(program, "VER", 0);
    Receive("VER\rFirmware Version 2.31 (c)\r");
    EXPECT_EQ(r.firmwareVersion, "2.31");
    EXPECT_EQ(r.lastCommand, "VER");  // the caller ends the version wait

    struct WakeCase {
        const char* line;
        bool awake;
    } wakes[] = {{"Ready", true}, {"WAKING", true},  {"vn4 s/n 12", true},
                 {"Vn6", true},   {"asleep", false}, {"vn8", false}};
    for (const WakeCase& w : wakes) {
        r.link.state = kLinkSleeping;
        SendCommand(program, "WAKE", 0);
        Receive(std::string(w.line) + "\r");
        EXPECT_EQ(r.link.state == kLinkWaking, w.awake) << w.line;
        EXPECT_EQ(r.lastCommand.empty(), w.awake) << w.line;
    }

    r.instrumentType = kVantor6;
    for (const char* store : {"STORECCL", "STOREGCF"}) {
        r.storeComplete = false;
        SendCommand(program, store, 0);
        Receive("storing..\r");
        EXPECT_FALSE(r.storeComplete);
        Receive("saved..OK\r");
        EXPECT_TRUE(r.storeComplete) << store;
        EXPECT_EQ(r.lastCommand, "");
    }

    // an unknown command never completes; the next command replaces it
    SendCommand(program, "NOSUCH", 0);
    Receive("anything\r");
    EXPECT_EQ(r.lastCommand, "NOSUCH");
    SendCommand(program, "DOWNLOAD", 0, "1");
    EXPECT_EQ(r.lastCommand, "DOWNLOAD");
    EXPECT_TRUE(r.replyLines.empty());
}

TEST_F(Replies, ModelFromModelLine) {
    struct Case {
        const char* line;
        const char* model;
    } cases[] = {
        {"model: trevan-2", "Trevan-2"},   {"Model: A-LUMO", "a-Lumo"},
        {"  model: Vn6", "Vantor-6"},      {"model: x-Lumo", "x-Lumo"},
        {"model: vn6 rev B", "vn6 rev B"}, {"model:vn6", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ModelFromModelLine(c.line), c.model) << c.line;
}

}  // namespace
}  // namespace tidewell::test
