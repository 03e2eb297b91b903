// Identification and version replies, read by the program's own rules for them.

#include <gtest/gtest.h>

#include "stream/Models.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"
#include "tests/sim/SimDriver.h"

namespace tidewell::sim::test {
namespace {

struct Identified {
    bool complete = false;
    std::string model, serial, first, second;
};

// The program's reading of an ID reply: the header line, then the model, the serial number and
// two further texts; the count of lines the model needs decides when the reply is complete.
Identified ReadIdentification(const std::vector<std::string>& reply) {
    Identified id;
    for (size_t k = 0; k < reply.size(); ++k) {
        const std::string& l = reply[k];
        if (l.find("Identification:") == std::string::npos) {
            if (l.size() > 2 && l[1] == 'B' && (l[0] == 'A' || l[0] == 'C') &&
                StartsNumeric(l.substr(2))) {
                id.model = l[0] == 'A' ? "a-Lumo" : "c-Lumo";
                id.serial = l;
                id.complete = true;
                return id;
            }
            continue;
        }
        auto after = [&](size_t i, const char* mark, size_t extra) -> std::string {
            if (i >= reply.size()) return "";
            const size_t p = reply[i].find(mark);
            return p == std::string::npos ? "" : reply[i].substr(p + extra);
        };
        id.model = after(k + 1, ":", 2);
        if (id.model == "A-Lumo") id.model = "a-Lumo";
        if (id.model == "C-Lumo") id.model = "c-Lumo";
        id.serial = after(k + 2, ": ", 2);
        id.first = after(k + 3, ": ", 2);
        id.second = after(k + 4, ": ", 2);
        size_t need = 0;
        if (id.model == "VN6" || id.model == "VN2" || id.model == "VN4") {
            need = k + 8;
            id.model = id.model == "VN6" ? "Vantor-6" : id.model == "VN2" ? "Vantor-2" : "Vantor-4";
        } else if (id.model == "a-Lumo" || id.model == "c-Lumo") {
            need = k + 6;
        } else if (id.model == "TREVAN-2") {
            need = k + 6;
            id.model = "Trevan-2";
        }
        id.complete = need > 0 && reply.size() >= need;
        return id;
    }
    return id;
}

TEST(SimIdentification, EveryFamilyAnswersAsTheProgramReadsIt) {
    struct Case {
        int model;
        bool shutter;
        const char* serial;
        const char* first;
    } cases[] = {
        {kVantor6, false, "VN6-0101", "T0"}, {kVantor4, true, "V4-0102", "T1"},
        {kVantor2, false, "V2-0103", "T0"},  {kALumo, false, "AL-0104", ""},
        {kCLumo, false, "CL-0105", ""},      {kTrevan2, false, "C2-0107", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ModelName(c.model));
        SimOptions o = Driver::Model(c.model);
        o.shutter = c.shutter;
        Driver d(o);
        // the program asks with CR CR "ID" CR; the prompts before the header do no harm
        const Identified id = ReadIdentification(CutLines(d.Send("\r\rID\r")));
        EXPECT_TRUE(id.complete);
        EXPECT_EQ(id.model, ModelName(c.model));
        EXPECT_EQ(ModelCode(id.model), c.model);
        EXPECT_EQ(id.serial, c.serial);
        EXPECT_EQ(id.first, c.first);
        EXPECT_EQ(id.second, "Simulated");
        // the shutter rule: the first text holds "T" but not "T0"
        const bool shutter =
            id.first.find('T') != std::string::npos && id.first.find("T0") == std::string::npos;
        EXPECT_EQ(shutter, c.shutter);
    }
}

TEST(SimIdentification, AVantorReplyIsCompleteOnlyWithItsEighthLine) {
    Driver d(Driver::Model(kVantor6));
    std::vector<std::string> reply = d.Command("ID");
    ASSERT_EQ(reply.size(), 9u);  // eight lines and the prompt
    EXPECT_EQ(reply[0], "Identification:");
    reply.resize(7);
    EXPECT_FALSE(ReadIdentification(reply).complete);
}

TEST(SimIdentification, SerialOptionAndOldFirmware) {
    SimOptions o = Driver::Model(kALumo);
    o.serial = "AL-2233";
    Driver modern(o);
    EXPECT_EQ(ReadIdentification(modern.Command("ID")).serial, "AL-2233");

    o.oldFirmware = true;
    o.model = kCLumo;
    Driver old(o);
    const std::vector<std::string> reply = old.Command("ID");
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(reply[0], "CB2233");
    const Identified id = ReadIdentification(reply);
    EXPECT_TRUE(id.complete);
    EXPECT_EQ(id.model, "c-Lumo");
    // too short a serial for a calibration held in the instrument
    EXPECT_LT(id.serial.size(), 7u);
    EXPECT_EQ(CutLines(old.Send("DUMPCFG\r\n"))[0], "Unknown command");
}

TEST(SimIdentification, VersionLineCarriesTheFirmwareNumber) {
    for (int model : {kVantor6, kALumo, kXLumo, kTrevan2}) {
        Driver d(Driver::Model(model));
        double version = 0;
        for (const std::string& l : d.Command("VER")) {
            std::string lower;
            for (char c : l)
                lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (lower.find("firmware") != std::string::npos) version = LeadingNumber(l);
        }
        EXPECT_GT(version, 0) << ModelName(model);
        EXPECT_EQ(PlainDouble(version), d.sim.FirmwareVersion());
    }
}

}  // namespace
}  // namespace tidewell::sim::test
