#include "instrument/CalExchange.h"

#include <gtest/gtest.h>

#include "calibration/BinaryImage.h"
#include "files/FilePaths.h"
#include "instrument/Commands.h"
#include "stream/NumberText.h"
#include "tests/instrument/FakeInstrument.h"

namespace tidewell::test {
namespace {

class Exchange : public ConnectionTest {
  protected:
    FakeInstrument instrument{Port()};

    // The calibration as a calibration file gives it back: six significant digits, derived
    // values brought up to date.
    CalibrationDataClass AsFileHoldsIt(const CalibrationDataClass& cal) {
        CalibrationDataClass read;
        read.ReadCalText(cal.CalFileText(), program.settings.Sigma, ctx.tables, prompter);
        return read;
    }

    // The simulated Vantor-2's calibration with new values to upload: made half an hour later,
    // other mu, offsets.
    CalibrationDataClass Vantor2() {
        CalibrationDataClass cal = sim::BuiltInCalibration(kVantor2);
        cal.CalTime += 1800 / 86400.0;
        for (int c = 0; c < 3; ++c) {
            cal.SetMu(c, 0, 1.5e-6 * (c + 1));
            cal.SetDarkOffset(c, 2, static_cast<int16_t>(c + 3));
            cal.SetNomOffset(c, 4, -7);
        }
        return AsFileHoldsIt(cal);
    }
};

TEST_F(Exchange, PerChannelDumpsComeInOrder) {
    InstrumentRecord& r = Connect(kVantor6);
    instrument.Simulate(clock, SimModel(kVantor6));
    ASSERT_TRUE(ReadCalPerChannel(ctx, 0));
    std::vector<std::string> expected = {"GCF"};
    for (int n = 1; n <= 8; ++n) {
        expected.push_back("CCL," + std::to_string(n));
        expected.push_back("CCF," + std::to_string(n));
    }
    EXPECT_EQ(instrument.heard, expected);
    const CalibrationDataClass &cal = r.Calibration(), &held = instrument.sim->calibration();
    EXPECT_EQ(cal.Serial, held.Serial);
    EXPECT_EQ(r.firmwareVersion, instrument.sim->FirmwareVersion());
    EXPECT_FLOAT_EQ(cal.DepthOff, held.DepthOff);
    EXPECT_DOUBLE_EQ(cal.Mu(7), held.Mu(7));
    EXPECT_EQ(cal.lambda(7), held.lambda(7));

    // a Vantor-4 has no channel-map dump; a reply that stops coming ends the read
    instrument.sim.reset();
    instrument.heard.clear();
    auto channel = [](const std::string& line) { return line.substr(line.find(',') + 1); };
    r.instrumentType = kVantor4;
    instrument.Answer("GCF", Lines({"Model: VN4", ">"}));
    instrument.answers["CCL"] = [&](const std::string& l) {
        return channel(l) == "1" ? Lines({"Channel 1 (bb470)", "mu: 4", ">"}) : "";
    };
    const double start = clock.Now();
    EXPECT_FALSE(ReadCalPerChannel(ctx, 0));
    EXPECT_EQ(instrument.heard, (std::vector<std::string>{"GCF", "CCL,1", "CCL,2"}));
    EXPECT_NEAR(SecondsSince(start), kCalReplySeconds, 0.3);
    EXPECT_DOUBLE_EQ(r.Calibration().Mu(0), 4);  // what came stays
    EXPECT_EQ(r.lastCommand, "");
}

// A Vantor whose text is longer than the kept lines (given up at once) or refused is read per
// channel; a Trevan-2 has no dumps to fall back on.
TEST_F(Exchange, AVantorWithoutTheTextIsReadPerChannel) {
    InstrumentRecord& r = Connect(kVantor6);
    std::vector<std::string> text = {"[General]", "DeviceType=Vantor-6"};
    while (text.size() < 260) text.push_back("Offset1=3");
    text.push_back("[End]");
    instrument.Answer("SENDCAL", Lines(text));
    instrument.Answer("GCF", Lines({"Model: VN6", ">"}));
    instrument.Answer("CCL", Lines({"Channel 1 (bb470)", ">"}));
    instrument.Answer("CCF", Lines({"Channel 1 (bb470)", ">"}));
    const double start = clock.Now();
    ASSERT_TRUE(ReadCalFromInstrument(ctx, 0));
    EXPECT_LT(SecondsSince(start), 2);
    EXPECT_EQ(instrument.heard.size(), 18u);
    EXPECT_EQ(r.Calibration().name(0), "bb470");

    instrument.heard.clear();
    r.instrumentType = kVantor2;
    instrument.Answer("SENDCAL", "Unknown command\r\n>\r\n");
    instrument.Answer("GCF", Lines({"Model: VN2", ">"}));
    ASSERT_TRUE(ReadCalFromInstrument(ctx, 0));
    EXPECT_EQ(instrument.heard,
              (std::vector<std::string>{"sendcal", "GCF", "CCL,1", "CCL,2", "CCL,3"}));
    instrument.heard.clear();
    r.instrumentType = kTrevan2;
    EXPECT_FALSE(ReadCalFromInstrument(ctx, 0));
    EXPECT_FALSE(r.calibrationLoaded);
    EXPECT_EQ(instrument.heard, std::vector<std::string>{"sendcal"});
}

TEST_F(Exchange, TheTextReadReplacesTheCalibration) {
    InstrumentRecord& r = Connect(kVantor2);
    r.Calibration().SetSourceFileName("/cal/old.cal");
    instrument.Simulate(clock, SimModel(kVantor2));
    ASSERT_TRUE(ReadCalFromVN(ctx, 0));
    EXPECT_EQ(r.Calibration().Compare(AsFileHoldsIt(instrument.sim->calibration())), 0);
    EXPECT_EQ(r.Calibration().SourceFile(), "");  // read from the instrument: no file

    // the older text reply is complete at its "[End]", however short
    SendCommand(program, "MAKEINI", 0);
    Port().Feed("[General]\r\nSerial=V2-9\r\n[End]\r\n");
    Tick();
    EXPECT_TRUE(r.makeIniComplete);
    EXPECT_EQ(r.Calibration().Serial, "V2-9");
}

TEST_F(Exchange, TheImageComesInOneBlock) {
    InstrumentRecord& r = Connect(kALumo);
    instrument.Simulate(clock, SimModel(kALumo));
    // the first block is spoilt on the way and asked for again
    bool spoilt = false;
    Port().beforeRead = [&, read = Port().beforeRead] {
        read();
        if (!spoilt && Port().incoming.size() > 10 && Port().incoming[0] == '\x01')
            Port().incoming[10] = static_cast<char>(Port().incoming[10] ^ 0x40);
        spoilt = spoilt || Port().incoming.size() > 10;
    };
    ASSERT_TRUE(ReadCalFromXLumo(ctx, 0));
    EXPECT_EQ(r.terminalQueue.size(), 0);  // the block's bytes are no lines
    EXPECT_FALSE(r.blockTransfer);
    std::string image;
    ASSERT_TRUE(BuildBinaryImage(instrument.sim->calibration(), image));
    CalibrationDataClass expected;
    expected.DeviceType = kALumo;
    LoadBinaryImage(image, expected);
    expected.CheckAndUpdateAll(program.settings.Sigma, ctx.tables, prompter);
    EXPECT_EQ(r.Calibration().Compare(expected), 0);
    Tick(0, 10);  // the power command goes out after the read
    // asked with "C", refused once, taken, and the end taken
    EXPECT_EQ(Port().written, "DUMPCFG\r\nC\x15\x06\x06power1\r");
    EXPECT_FALSE(FileExists(temp.File("xbdump0.bin")));

    // no block at all: the read fails after its ten seconds
    instrument.sim.reset();
    const double start = clock.Now();
    EXPECT_FALSE(ReadCalFromXLumo(ctx, 0));
    EXPECT_NEAR(SecondsSince(start), kCalReplySeconds, 0.2);
    EXPECT_FALSE(r.blockTransfer);
}

TEST_F(Exchange, SendToVNSendsChannelsGlobalsThenVerifiesAndStores) {
    InstrumentRecord& r = Connect(kVantor2);
    r.modelName = "Vantor-2";
    const CalibrationDataClass cal = Vantor2();
    instrument.Simulate(clock, SimModel(kVantor2));
    const auto* kept = r.calibration.get();
    prompter.answers = {1};
    ASSERT_TRUE(SendToVN(ctx, 0, cal));
    EXPECT_EQ(prompter.shown, std::vector<std::string>{"The calibration has been loaded and "
                                                       "verified.  Store it in the Vantor-2's "
                                                       "nonvolatile memory?"});
    ASSERT_EQ(instrument.heard.size(), 13u);
    EXPECT_EQ(instrument.heard[2], "cof,1,0,3,0,0,0,0,0,0,-7,0,0,0,0,0,0,");
    EXPECT_EQ(instrument.heard[3].substr(0, 6), "ccl,2,");
    EXPECT_EQ(instrument.heard[7], "TIME");
    EXPECT_EQ(instrument.heard[8], "date,03/01/24 12:30:00");
    EXPECT_EQ(instrument.heard[9], "gcf,20,.01,-1.5");
    EXPECT_EQ(instrument.Count("STOREGCF"), 1);
    EXPECT_EQ(r.calibration.get(), kept);  // the read-back went into a calibration of its own
    EXPECT_EQ(AsFileHoldsIt(instrument.sim->calibration()).Compare(cal), 0);

    // "No": nothing is stored
    instrument.heard.clear();
    prompter.answers = {0};
    ASSERT_TRUE(SendToVN(ctx, 0, cal));
    EXPECT_EQ(instrument.Count("STORECCL"), 0);
}

TEST_F(Exchange, TheChannelLineCarriesTheFractionsAndTheReadBackMustAgree) {
    Connect(kVantor4);
    CalibrationDataClass cal;
    cal.DeviceType = kVantor4;
    SilentPrompter quiet;
    cal.SetMu(0, 0, 2.5e-6);
    cal.SetROutOff(0, 12);
    cal.SetSigmaExp(0, 0.0003);
    cal.SetBeta2bb(0, 1.1);
    cal.SetBb2c(0, 3);
    cal.SetMuRho(0, 1.2);
    cal.SetSigma(0, 1, 0.05, quiet);
    cal.SetBTempCoeff(0, -0.0012);
    // the instrument gives back a calibration file, which holds no reference offset
    instrument.Answer("SENDCAL", AsFileHoldsIt(cal).CalFileText() + ">\r\n");
    EXPECT_FALSE(SendToVN(ctx, 0, cal));
    EXPECT_EQ(instrument.heard[1],
              "ccl,1,2.5E-06,1,12.0003,1.1,3.12,1,.05,0,-.0012,1,10,100,1000,10000,");
    EXPECT_EQ(instrument.Count("COF"), 0);  // no offsets, no offset lines
    ASSERT_EQ(prompter.shown.size(), 1u);
    const std::string& message = prompter.shown[0];
    EXPECT_TRUE(message.starts_with("The calibration did not load properly (error code "));
    EXPECT_TRUE(message.ends_with(").  Please try again."));
    const auto code = static_cast<int32_t>(ReadDecimal(message.substr(50)));
    EXPECT_NE(code & kChangedReference, 0) << message;
}

TEST_F(Exchange, ABrokenOffUploadSaysSoOnceChannelsWereSent) {
    Connect(kVantor2);
    const CalibrationDataClass cal = Vantor2();
    // the first channel line gets no prompt
    instrument.answers["CCL"] = [](const std::string&) { return std::string(); };
    EXPECT_FALSE(SendToVN(ctx, 0, cal));
    EXPECT_EQ(prompter.shown, std::vector<std::string>{kNotCompletelyLoadedMessage});
    EXPECT_EQ(instrument.Count("CCL"), 1);
    // an instrument that does not answer at all was sent no channel
    prompter.shown.clear();
    instrument.silent = true;
    EXPECT_FALSE(SendToVN(ctx, 0, cal));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(Exchange, AFailedReadBackMayBeTriedAgain) {
    Connect(kVantor2);
    const CalibrationDataClass cal = Vantor2();
    instrument.Answer("SENDCAL", "");
    // the global upload is answered, the global dump is not
    instrument.answers["GCF"] = [](const std::string& l) {
        return l.find(',') != std::string::npos ? std::string(">\r\n") : std::string();
    };
    prompter.answers = {1, 0};  // "Try Again", then "Cancel"
    EXPECT_FALSE(SendToVN(ctx, 0, cal));
    EXPECT_EQ(prompter.shown,
              (std::vector<std::string>{kReadBackFailedQuestion, kReadBackFailedQuestion,
                                        kNotCompletelyLoadedMessage}));
    EXPECT_EQ(instrument.Count("SENDCAL"), 2);
}

class BinaryUpload : public Exchange {
  protected:
    std::vector<std::string> frames;
    std::string reply = std::string("\x06") + "Data saved\r\n";
    CalibrationDataClass cal;

    BinaryUpload() {
        Connect(kCLumo);
        cal.DeviceType = kCLumo;
        cal.Serial = "B00420901";
        cal.SetMu(0, 0, 1e-5);
        instrument.Answer("LOADCFG", "C");
        instrument.raw = [this](std::string_view bytes) {
            if (bytes.size() != 132 || bytes[0] != 1) return false;
            frames.emplace_back(bytes);
            Port().Feed(reply);
            return true;
        };
    }
};

TEST_F(BinaryUpload, OneBlockWithItsSum) {
    ASSERT_TRUE(SendToXLumo(ctx, 0, cal));
    EXPECT_EQ(prompter.shown, std::vector<std::string>{kBinaryStoredMessage});
    ASSERT_EQ(frames.size(), 1u);
    std::string image;
    ASSERT_TRUE(BuildBinaryImage(cal, image));
    unsigned sum = 0;
    for (char b : image) sum += static_cast<unsigned char>(b);
    EXPECT_EQ(frames[0], std::string("\x01\x01\xfe", 3) + image + static_cast<char>(sum & 0xFF));
    EXPECT_EQ(ReadFileBytes(temp.File("xbtemp.bin")), image);
    EXPECT_EQ(Slot().lastCommand, "");
    EXPECT_EQ(Slot().terminalQueue.size(), 0);  // the answers are the upload's, not lines
    EXPECT_EQ(instrument.heard, std::vector<std::string>{"LOADCFG"});
}

TEST_F(BinaryUpload, EachWayItFails) {
    const struct {
        std::string reply, message;
        size_t frames;
    } cases[] = {
        {"\x15", "The load failed in 4 attempts due to an unknown error.", 4},  // refused
        {"\x06"
         "Data not saved\r\n",
         kBinaryNotConfirmedMessage, 1},
        {"\x06", kBinaryNotConfirmedMessage, 1},  // accepted, never confirmed
    };
    for (const auto& c : cases) {
        prompter.shown.clear();
        frames.clear();
        reply = c.reply;
        EXPECT_FALSE(SendToXLumo(ctx, 0, cal));
        EXPECT_EQ(prompter.shown, std::vector<std::string>{c.message});
        EXPECT_EQ(frames.size(), c.frames);
    }

    prompter.shown.clear();
    frames.clear();
    instrument.Answer("LOADCFG", "");
    EXPECT_FALSE(SendToXLumo(ctx, 0, cal));
    EXPECT_EQ(prompter.shown, std::vector<std::string>{kNoLoadResponseMessage});
    EXPECT_TRUE(frames.empty());
    EXPECT_EQ(Slot().lastCommand, "");

    prompter.shown.clear();
    instrument.heard.clear();
    cal.SetGain(0, 2, -10);  // the image holds no negative gain
    EXPECT_FALSE(SendToXLumo(ctx, 0, cal));
    EXPECT_EQ(prompter.shown, std::vector<std::string>{kBadParametersMessage});
    EXPECT_TRUE(instrument.heard.empty());
}

}  // namespace
}  // namespace tidewell::test
