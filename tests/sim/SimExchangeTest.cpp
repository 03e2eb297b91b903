// The exchanges the program holds with an instrument: sampling parameters, calibration dumps and
// uploads, the binary calibration image, the clock, and the casts in memory. Each reply is read
// here by the program's own rules for it.

#include <gtest/gtest.h>

#include <cctype>

#include "calibration/BinaryImage.h"
#include "calibration/CalFile.h"
#include "stream/BlockReceiver.h"
#include "stream/Crc16.h"
#include "stream/DateValue.h"
#include "stream/Decoder.h"
#include "stream/Models.h"
#include "stream/NumberText.h"
#include "stream/TextHelpers.h"
#include "tests/sim/SimDriver.h"

namespace tidewell::sim::test {
namespace {

std::string Lower(const std::string& s) {
    std::string l;
    for (char c : s) l += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return l;
}

bool Has(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// --- Sampling parameters, read as the program reads them.

struct Params {
    double period = 0, cycle = 0, total = 0, closeTime = 0;
    int delay = 0, warmup = 0, length = 0;
    bool memoryFull = false, power = false, burst = false, ccw = false, enabled = false;
    bool automatic = false, hex = true, complete = false;
    size_t completedAt = 0;  // reply line that completed it
};

// The number of a line: from the first position where the rest of the line is a number.
double LineNumber(const std::string& line) {
    for (size_t p = 0; p < line.size(); ++p) {
        double v = 0;
        if (ReadWholeDecimal(line.substr(p), v)) return v;
    }
    return 0;
}

Params ReadParams(const std::vector<std::string>& reply, int model, bool shutter) {
    Params p;
    p.enabled = true;
    const bool singleOrTrevan = IsSingleChannel(model) || IsTrevan(model);
    for (size_t i = 0; i < reply.size() && !p.complete; ++i) {
        const std::string l = Lower(reply[i]);
        const double n = LineNumber(reply[i]);
        bool completes = false;
        if (Has(l, "period:")) p.period = n;
        if (Has(l, "rate:")) p.period = n == 0 ? 1.0 : 1 / n;
        if (Has(l, "delay:")) p.delay = RoundToInt32(n);
        if (Has(l, "memory full")) p.memoryFull = n != 0;
        if (Has(l, " power")) p.power = n != 0;
        if (Has(l, "warmup time")) p.warmup = RoundToInt32(n);
        if (Has(l, "burst length") || Has(l, "burst duration")) p.length = RoundToInt32(n);
        if (Has(l, " cycle")) {
            p.cycle = n;
            completes = completes || singleOrTrevan;
        }
        if (Has(l, "total")) {
            p.total = n;
            completes = completes || !shutter;
        }
        if (Has(l, " mode")) p.burst = Has(l, "on");
        if (Has(l, " direction")) {
            p.ccw = Has(l, "ccw");
            completes = true;
        }
        if (Has(l, " enabled")) p.enabled = Has(l, "1");
        if (Has(l, "close time")) p.closeTime = n;
        if (Has(l, "omatic open")) p.automatic = n != 0;
        if (Has(l, "format")) p.hex = Has(l, "hex");
        if (completes) {
            p.complete = true;
            p.completedAt = i;
        }
    }
    return p;
}

TEST(SimSampleParameters, EveryFamilysReplyFillsEveryParameter) {
    {
        // single-channel: the dialogue's commands, then its four questions
        Driver d(Driver::Model(kALumo));
        for (const char* c : {"BURSTCYCLE,30", "BURSTLENGTH,5", "PERIOD,.25", "STARTDELAY,7",
                              "BURST,1", "DATAFORMAT,D"})
            EXPECT_EQ(d.Command(c), std::vector<std::string>{">"}) << c;
        const std::vector<std::string> reply =
            CutLines(d.Send("DATAFORMAT\rPERIOD\rSTARTDELAY\rBURST\r"));
        const Params p = ReadParams(reply, kALumo, false);
        ASSERT_TRUE(p.complete);
        EXPECT_EQ(reply[p.completedAt + 1], ">");
        EXPECT_EQ(p.completedAt + 2, reply.size());
        EXPECT_DOUBLE_EQ(p.period, 0.25);  // a rate of 4 per second
        EXPECT_EQ(p.delay, 7);
        EXPECT_TRUE(p.burst);
        EXPECT_EQ(p.length, 5);
        EXPECT_EQ(p.cycle, 30);
        EXPECT_FALSE(p.hex);
    }
    {
        Driver d(Driver::Model(kTrevan2));
        d.Command("LOG,.5,7,1,1,3,5,30,");
        const std::vector<std::string> reply = d.Command("LOG");
        const Params p = ReadParams(reply, kTrevan2, false);
        ASSERT_TRUE(p.complete);
        EXPECT_EQ(p.completedAt + 2, reply.size());
        EXPECT_DOUBLE_EQ(p.period, 0.5);
        EXPECT_EQ(p.delay, 7);
        EXPECT_TRUE(p.power);
        EXPECT_TRUE(p.burst);
        EXPECT_EQ(p.warmup, 3);
        EXPECT_EQ(p.length, 5);
        EXPECT_EQ(p.cycle, 30);
    }
    for (bool shutter : {false, true}) {
        SCOPED_TRACE(shutter ? "shutter" : "no shutter");
        SimOptions o = Driver::Model(kVantor6);
        o.shutter = shutter;
        Driver d(o);
        d.Command("LOG,.5,7,1,1,1,3,5,30,12");
        if (shutter) d.Command("shutter,1,0,2.5,CCW");
        // the set-period and set-delay commands come with line feeds around them
        d.Send("\r\nLOG,.75\r");
        d.Send("\r\nLOG,,9\r\n");
        const std::vector<std::string> reply = d.Command("LOG");
        const Params p = ReadParams(reply, kVantor6, shutter);
        ASSERT_TRUE(p.complete);
        EXPECT_EQ(p.completedAt + 2, reply.size());
        EXPECT_DOUBLE_EQ(p.period, 0.75);
        EXPECT_EQ(p.delay, 9);
        EXPECT_TRUE(p.memoryFull);
        EXPECT_TRUE(p.power);
        EXPECT_TRUE(p.burst);
        EXPECT_EQ(p.warmup, 3);
        EXPECT_EQ(p.length, 5);
        EXPECT_EQ(p.cycle, 30);
        EXPECT_EQ(p.total, 12);
        if (shutter) {
            EXPECT_TRUE(p.enabled);
            EXPECT_FALSE(p.automatic);
            EXPECT_DOUBLE_EQ(p.closeTime, 2.5);
            EXPECT_TRUE(p.ccw);
        }
    }
}

// --- Calibration.

// The non-empty lines of a reply, as the program collects them.
std::vector<std::string> ReplyLines(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& l : lines)
        if (!l.empty()) out.push_back(l);
    return out;
}

TEST(SimCalibration, SendcalIsTheCalibrationFileAndCompletes) {
    for (int model : {kVantor6, kVantor4, kVantor2, kTrevan2}) {
        SCOPED_TRACE(ModelName(model));
        Driver d(Driver::Model(model));
        const std::vector<std::string> reply = ReplyLines(d.Command("sendcal"));
        // complete: a line with "[End]" and at least 54 lines
        size_t end = 0;
        for (size_t i = 0; i < reply.size(); ++i)
            if (Has(reply[i], "[End]")) end = i + 1;
        EXPECT_GT(end, 0u);
        EXPECT_GE(reply.size(), 54u);
        CalibrationDataClass read;
        std::string section;
        for (const std::string& l : reply) read.ParseLineIntoCalClass(l, section);
        EXPECT_EQ(read.Compare(d.sim.calibration()), 0);
        EXPECT_EQ(read.DeviceType, model);
    }
}

TEST(SimCalibration, GlobalDumpReadsBackEveryField) {
    Driver d(Driver::Model(kVantor6));
    const CalibrationDataClass& held = d.sim.calibration();
    // the program's rules, in their order; the first that matches takes the line
    CalibrationDataClass read;
    std::string firmware;
    for (const std::string& line : d.Command("gcf")) {
        const std::string l = Lower(line);
        const std::string afterColon = line.substr(std::min(line.size(), line.find(':') + 2));
        if (Has(l, "maximum depth:"))
            read.MaxDepth = static_cast<float>(LeadingNumber(afterColon));
        else if (Has(l, "s/n: "))
            read.Serial = afterColon;
        else if (Has(l, "config:"))
            read.Config = afterColon;
        else if (Has(l, "cal time:"))
            read.CalTime = ParseCalTime(line.substr(line.find(':') + 1), kVantor6);
        else if (Has(l, "firmware"))
            firmware = PlainDouble(LeadingNumber(line));
        else if (Has(l, "cal temp"))
            read.CalTemp = static_cast<float>(LeadingNumber(line));
        else if (Has(l, "model:"))
            read.DeviceType = Has(l, "vn6") ? kVantor6 : kUnknownType;
        else if (Has(l, "depth offset:"))
            read.DepthOff = static_cast<float>(LeadingNumber(line));
        else if (Has(l, "depth coefficient"))
            read.DepthCal = static_cast<float>(LeadingNumber(line));
        else if (Has(l, "id:"))
            read.Label = afterColon;
    }
    EXPECT_EQ(read.DeviceType, kVantor6);
    EXPECT_EQ(read.Serial, held.Serial);
    EXPECT_EQ(read.Config, "T0");
    EXPECT_EQ(read.Label, held.Label);
    EXPECT_NEAR(read.CalTime, held.CalTime, 1e-9);
    EXPECT_EQ(firmware, "3.21");
    EXPECT_EQ(read.CalTemp, held.CalTemp);
    EXPECT_EQ(read.MaxDepth, held.MaxDepth);
    EXPECT_EQ(read.DepthCal, held.DepthCal);
    EXPECT_EQ(read.DepthOff, held.DepthOff);
}

// The program's reading of a channel dump into `cal`.
void ReadChannelDump(const std::vector<std::string>& lines, CalibrationDataClass& cal) {
    int chan = 0;
    SilentPrompter quiet;
    for (const std::string& l : lines) {
        const double afterColon =
            l.find(':') == std::string::npos ? 0 : ReadDecimal(l.substr(l.find(':') + 1));
        if (Has(l, "Channel")) {
            chan = RoundToInt32(ReadDecimal(l.substr(l.find(' ') + 1))) - 1;
            const size_t open = l.find('('), close = l.find(')');
            if (open != std::string::npos && close != std::string::npos)
                cal.SetName(chan, l.substr(open + 1, close - open - 1));
        } else if (Has(l, "deltaLambda")) {
            cal.SetBDeltaLambda(chan, RoundToInt16(LeadingNumber(l)));
        } else if (Has(l, "ChEx")) {
            cal.SetChEx(chan, RoundToInt16(LeadingNumber(l)));
        } else if (Has(l, "ChRep")) {
            cal.SetChRep(chan, RoundToInt16(LeadingNumber(l)));
        } else if (Has(l, "' G")) {
            const int g = RoundToInt32(ReadDecimal(l.substr(l.find("' G") + 3)));
            std::vector<double> v;
            for (size_t p = l.find(':'); p != std::string::npos; p = l.find(':', p + 1))
                v.push_back(ReadDecimal(l.substr(p + 1)));
            ASSERT_EQ(v.size(), 4u) << l;
            cal.SetGain(chan, g, v[0]);
            cal.SetDarkOffset(chan, g, RoundToInt16(v[1]));
            cal.SetNomOffset(chan, g, RoundToInt16(v[2]));
            cal.SetFlOffset(chan, g, RoundToInt16(v[3]));
        } else if (Has(l, "muRho")) {
            cal.SetMuRho(chan, afterColon);
        } else if (Has(l, "mu")) {
            cal.SetMu(chan, 0, afterColon);
        } else if (Has(l, "Rnom")) {
            cal.SetRNominal(chan, afterColon);
        } else if (Has(l, "Roo")) {
            cal.SetROutOff(chan, afterColon);
        } else if (Has(l, "kbb")) {
            cal.SetBeta2bb(chan, afterColon);
        } else if (Has(l, "kc")) {
            cal.SetBb2c(chan, afterColon);
        } else if (Has(l, "kSigmaExp")) {
            cal.SetSigmaExp(chan, afterColon);
        } else if (Has(l, "kSigma0") || Has(l, "kSigma1") || Has(l, "kSigma2")) {
            cal.SetSigma(chan, l[l.find("kSigma") + 6] - '0', afterColon, quiet);
        } else if (Has(l, "Kt")) {
            cal.SetBTempCoeff(chan, afterColon);
        }
    }
}

TEST(SimCalibration, ChannelUploadAndDumpRoundTrip) {
    Driver d(Driver::Model(kVantor6));
    // channel 2 as the program sends it: Roo carries SigmaExp, kc carries MuRho / 10
    EXPECT_EQ(d.Command("ccl,2,.0001234,1.5,12.0003,1.08,9.12,.99,.05,0,-.0012,1,10,100,1000,"
                        "10000,"),
              std::vector<std::string>{">"});
    EXPECT_EQ(d.Command("cof,2,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,"),
              std::vector<std::string>{">"});
    const CalibrationDataClass& held = d.sim.calibration();
    EXPECT_EQ(held.ROutOff(1), 12);
    EXPECT_NEAR(held.SigmaExp(1), 0.0003, 1e-12);
    EXPECT_NEAR(held.MuRho(1), 1.2, 1e-12);
    EXPECT_EQ(held.bb2c(1), 9);
    EXPECT_EQ(held.FlOffset(1, 5), 15);

    const std::vector<std::string> dump = d.Command("ccl,2");
    EXPECT_EQ(dump[0], "Channel 2 (bb442)");
    EXPECT_NE(std::find(dump.begin(), dump.end(), "Roo: 12.0003"), dump.end());
    EXPECT_NE(std::find(dump.begin(), dump.end(), "' G3:100:3:8:13"), dump.end());
    CalibrationDataClass read;
    read.DeviceType = kVantor6;
    ReadChannelDump(dump, read);
    ReadChannelDump(d.Command("CCF,2"), read);
    EXPECT_EQ(read.lambda(1), 442);
    EXPECT_EQ(read.bDeltaLambda(1), held.bDeltaLambda(1));
    EXPECT_DOUBLE_EQ(read.Mu(1), held.Mu(1));
    EXPECT_DOUBLE_EQ(read.MuRho(1), held.MuRho(1));
    EXPECT_DOUBLE_EQ(read.RNominal(1), 1.5);
    EXPECT_NEAR(read.SigmaExp(1), 0.0003, 1e-12);
    EXPECT_EQ(read.ROutOff(1), 12);
    EXPECT_DOUBLE_EQ(read.beta2bb(1), 1.08);
    EXPECT_EQ(read.bb2c(1), 9);
    for (int i = 0; i <= 2; ++i) EXPECT_DOUBLE_EQ(read.Sigma(1, i), held.Sigma(1, i));
    EXPECT_DOUBLE_EQ(read.bTempCoeff(1), -0.0012);
    for (int g = 1; g <= 5; ++g) {
        EXPECT_DOUBLE_EQ(read.gain(1, g), held.gain(1, g));
        EXPECT_EQ(read.DarkOffset(1, g), g);
        EXPECT_EQ(read.NomOffset(1, g), 5 + g);
    }

    EXPECT_EQ(d.Command("storeccl"), (std::vector<std::string>{"..OK", ">"}));
    EXPECT_EQ(d.Command("storegcf"), (std::vector<std::string>{"..OK", ">"}));
    d.Command("gcf,21.5,.02,-2");
    EXPECT_EQ(held.CalTemp, 21.5f);
    EXPECT_EQ(held.DepthCal, 0.02f);
    EXPECT_EQ(held.DepthOff, -2.0f);
    EXPECT_EQ(d.Command("date,07/22/10 14:05:00")[0], "07/22/10 14:05:00");
    EXPECT_NEAR(held.CalTime, DateValue(2010, 7, 22) + (14 * 60 + 5) / 1440.0, 1e-9);
    EXPECT_EQ(d.Command("ccl,9")[0], "Invalid channel");
}

// --- The single-channel binary image.

TEST(SimCalibration, DumpcfgSendsOneBlockTheProgramsReceiverAccepts) {
    Driver d(Driver::Model(kCLumo));
    EXPECT_EQ(d.Send("DUMPCFG\r\n"), "");  // waits for the receiver's "C"
    std::string toSim;
    BlockReceiver rx([&](std::string_view s) { toSim.append(s); });
    rx.Start();
    EXPECT_FALSE(rx.Receive(""));
    ASSERT_EQ(toSim, "C");
    std::string block = d.Send(toSim);
    toSim.clear();
    ASSERT_EQ(block.size(), 133u);
    EXPECT_EQ(block.substr(0, 3), std::string("\x01\x01\xFE", 3));
    const std::string image = block.substr(3, 128);
    const uint16_t crc = Crc16Xmodem(image);
    EXPECT_EQ(static_cast<uint8_t>(block[131]), crc >> 8);
    EXPECT_EQ(static_cast<uint8_t>(block[132]), crc & 0xFF);

    // a refused block comes again
    EXPECT_EQ(d.Send("\x15"), block);
    rx.Receive(block);
    if (toSim.empty()) rx.Receive("");  // the receiver may look at the block on its next call
    EXPECT_EQ(toSim, "\x06");
    EXPECT_EQ(rx.LastGoodBlock(), image);
    const std::string eot = d.Send(toSim);
    toSim.clear();
    EXPECT_EQ(eot, "\x04");
    EXPECT_TRUE(rx.Receive(eot));
    EXPECT_EQ(d.Send(toSim), "");
    EXPECT_EQ(d.Command("")[0], ">");  // back to commands

    std::string expected;
    EXPECT_TRUE(BuildBinaryImage(d.sim.calibration(), expected));
    EXPECT_EQ(image, expected);
    CalibrationDataClass read;
    LoadBinaryImage(image, read);
    EXPECT_EQ(read.DeviceType, kCLumo);
    EXPECT_EQ(read.lambda(0), 657);
    EXPECT_EQ(read.KLambda(0), 532);
    EXPECT_EQ(read.TrPure(0), 31500);
    EXPECT_NEAR(read.Mu(0), d.sim.calibration().Mu(0), 1e-9);
}

TEST(SimCalibration, LoadcfgTakesAnImageWithItsSum) {
    Driver d(Driver::Model(kALumo));
    CalibrationDataClass changed = d.sim.calibration();
    changed.SetMu(0, 0, 4.56e-5);
    changed.SetTrNought(0, -77);
    std::string image;
    ASSERT_TRUE(BuildBinaryImage(changed, image));
    unsigned sum = 0;
    for (char c : image) sum += static_cast<uint8_t>(c);
    const std::string head("\x01\x01\xFE", 3);

    EXPECT_EQ(d.Send("LOADCFG\r"), "C");
    // a wrong sum is refused; the program tries again
    EXPECT_EQ(d.Send(head + image + static_cast<char>(sum + 1)), "\x15");
    EXPECT_EQ(d.Send(head + image + static_cast<char>(sum)),
              "\x06"
              "Data saved\r\n");
    EXPECT_NEAR(d.sim.calibration().Mu(0), 4.56e-5, 1e-12);
    EXPECT_EQ(d.sim.calibration().TrNought(0), -77);
    EXPECT_EQ(d.sim.calibration().DeviceType, kALumo);

    // four refusals and the instrument gives up
    d.Send("LOADCFG\r");
    std::string out;
    for (int i = 0; i < 4; ++i) out += d.Send(head + image + static_cast<char>(sum + 1));
    EXPECT_EQ(out,
              "\x15\x15\x15\x15"
              "Data not saved\r\n");
}

// --- The clock.

TEST(SimClock, TimeReadsAndSets) {
    Driver d(Driver::Model(kALumo));
    const std::vector<std::string> reply = d.Command("TIME");
    ASSERT_EQ(reply.size(), 2u);
    EXPECT_EQ(reply[0], "05/14/24 10:20:30");
    EXPECT_NEAR(ParseCalTime(reply[0], kALumo), kTestClock, 1.0 / 86400);
    // the program's set command ends with two carriage returns
    EXPECT_EQ(CutLines(d.Send("TIME,07/22/10 14:05:00\r\r")),
              (std::vector<std::string>{"07/22/10 14:05:00", ">", ">"}));
    d.Wait(10);
    EXPECT_EQ(d.Command("TIME")[0], "07/22/10 14:05:10");
    EXPECT_EQ(d.Command("TIME,garbage")[0], "Invalid time");
}

// --- Casts.

struct Listing {
    std::string heading, memory;
    std::vector<std::pair<int, int>> casts;  // number and size
};

Listing ReadListing(const std::vector<std::string>& lines) {
    Listing out;
    bool headingSeen = false;
    for (std::string l : lines) {
        const std::string lower = Lower(l);
        if (!l.empty() && l[0] == '\'') l.erase(0, 1);
        if (Has(lower, "duration")) {
            out.heading = l;
            headingSeen = true;
        } else if (Has(lower, "free") || Has(lower, "memory")) {
            out.memory = l;
        } else if (headingSeen) {
            const size_t last = l.rfind(' ');
            out.casts.push_back({static_cast<int>(ReadDecimal(l.substr(0, l.find(' ')))),
                                 last == std::string::npos
                                     ? 0
                                     : static_cast<int>(ReadDecimal(l.substr(last + 1)))});
        }
    }
    return out;
}

TEST(SimCasts, DirectoryDownloadAndDelete) {
    SimOptions o = Driver::Model(kALumo);
    o.casts = 3;
    Driver d(o);
    const Listing listing = ReadListing(d.Command("DIR"));
    EXPECT_EQ(listing.heading, "Cast  Start date and time  Duration  Samples");
    EXPECT_EQ(listing.memory, "Free memory: 4188544 bytes");
    ASSERT_EQ(listing.casts, (std::vector<std::pair<int, int>>{{1, 25}, {2, 30}, {3, 35}}));

    // the lines come at the pace of the line: 34 bytes at 19200 baud take 17.7 ms
    std::string bytes = d.Send("DOWNLOAD,2\r", 0.3);
    EXPECT_EQ(Lower(bytes).find("end of cast"), std::string::npos);
    bytes += d.Wait(1.0);
    const std::vector<std::string> lines = CutLines(bytes);
    int samples = 0;
    size_t end = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        SampleRecord r;
        if (ClassifyLine(lines[i]) == kAPacket && DecodeLine(lines[i], kALumo, r)) ++samples;
        if (Has(Lower(lines[i]), "end of cast")) end = i;
    }
    EXPECT_EQ(samples, 30);
    EXPECT_EQ(lines[end], "End of cast 2");
    EXPECT_EQ(end + 2, lines.size());

    EXPECT_EQ(d.Command("DELCAST2")[0], "Cast 2 deleted");
    EXPECT_EQ(d.Command("DELCAST 9")[0], "No cast 9");
    EXPECT_EQ(ReadListing(d.Command("DIR")).casts.size(), 2u);
    EXPECT_EQ(d.Command("DOWNLOAD,2"),
              (std::vector<std::string>{"No cast 2", "End of cast 2", ">"}));

    // a stop ends a download
    d.Send("DOWNLOAD,3\r", 0.2);
    const std::vector<std::string> stopped = d.Command("STOP", 2);
    EXPECT_EQ(stopped, (std::vector<std::string>{"Download aborted", "Stopped", ">"}));
}

TEST(SimCasts, EraseAsksForAYes) {
    SimOptions o = Driver::Model(kTrevan2);
    o.casts = 2;
    Driver d(o);
    // any other answer keeps the casts, and the line is taken as the next command
    EXPECT_EQ(d.Command("CLEARLOG"),
              std::vector<std::string>{"!Type Y for yes to erase all casts"});
    const std::vector<std::string> aborted = d.Command("DIR");
    EXPECT_EQ(aborted[0], "Erase aborted");
    EXPECT_EQ(ReadListing(aborted).casts.size(), 2u);
    d.Command("CLEARLOG");
    EXPECT_EQ(d.Command("Y"), (std::vector<std::string>{"Log erased", ">"}));
    EXPECT_TRUE(ReadListing(d.Command("DIR")).casts.empty());
}

TEST(SimCasts, OtherModelsEraseAtOnce) {
    SimOptions o = Driver::Model(kVantor6);
    o.casts = 2;
    Driver d(o);
    EXPECT_EQ(d.Command("CLEARLOG"), (std::vector<std::string>{"Log erased", ">"}));
    EXPECT_TRUE(ReadListing(d.Command("DIR")).casts.empty());
}

}  // namespace
}  // namespace tidewell::sim::test
