// The real serial code against the simulator: the port on its pseudo-terminal, the 50 ms input
// timer, and waits that run the event loop on the computer's clock.

#include <gtest/gtest.h>

#include "calibration/BinaryImage.h"
#include "instrument/CalExchange.h"
#include "instrument/Commands.h"
#include "instrument/Connection.h"
#include "instrument/InputTimer.h"
#include "instrument/ProgramState.h"
#include "stream/NumberText.h"
#include "support/TestSupport.h"
#include "tests/integration/SimProcess.h"

namespace tidewell::test {
namespace {

class Live : public ::testing::Test {
  protected:
    Live() {
        TestApplication();
        program.settings.TempPath = temp.path() + "/";
        program.settings.Sigma = NumericSigmaParams();
        timer.Start();
    }
    ~Live() override {
        for (int s = 0; s < kSlotCount; ++s)
            if (program.Slot(s).port) program.Slot(s).port->Close();
    }

    // The model's calibration in a file for the simulator, dated ten days ago.
    std::string CalibrationFile(int model) {
        const std::string path = temp.File(ModelOption(model) + ".cal");
        CalibrationDataClass cal = ModelCalibration(model, clock.Now() - 10);
        EXPECT_TRUE(cal.SaveCopyToFile(path));
        return path;
    }
    // What an instrument loaded with that file holds: the file itself, or for the
    // single-channel models the binary image they keep of it.
    CalibrationDataClass Held(int model, const std::string& path) {
        CalibrationDataClass file;
        EXPECT_TRUE(file.SetSourceFile(path, program.settings.Sigma, ctx.tables, prompter));
        if (!IsSingleChannel(model)) return file;
        std::string image;
        EXPECT_TRUE(BuildBinaryImage(file, image));
        CalibrationDataClass held;
        held.DeviceType = model;
        LoadBinaryImage(image, held);
        held.CheckAndUpdateAll(program.settings.Sigma, ctx.tables, prompter);
        return held;
    }
    InstrumentRecord& Slot() { return program.Slot(0); }

    SystemClock clock;
    ScriptedPrompter prompter;
    MemorySettingsStore store;
    ProgramState program{clock, prompter, store};
    EventLoopWaiter waiter{clock};
    ConnectionContext ctx{program, waiter};
    InputTimer timer{program, 0};
    TempDir temp;
};

// One model of each family: its calibration comes as text, as a binary image, or as the
// Trevan's text; the x-Lumo is reached only with its model chosen. 115200 is reached only by
// choosing it.
TEST_F(Live, EachFamilyIdentifiesAndGivesItsCalibration) {
    const struct {
        int model;
        int32_t rate;
    } cases[] = {{kVantor4, 9600}, {kALumo, 57600}, {kXLumo, 19200}, {kTrevan2, 115200}};
    for (const auto& [model, rate] : cases) {
        SCOPED_TRACE(ModelName(model));
        const std::string file = CalibrationFile(model);
        Simulator sim({"--model", ModelOption(model), "--cal", file, "--baud", PlainInt(rate)});
        ASSERT_FALSE(sim.device().empty());
        InstrumentRecord& r = Slot();
        if (model == kXLumo) {
            // its reply names a model whose identification never completes: it is reached
            // with the port opened for a chosen model
            EXPECT_FALSE(TryPort(ctx, 0, sim.device(), rate));
            ASSERT_TRUE(OpenWithoutIdentifying(ctx, 0, sim.device(), rate, kXLumo));
            ASSERT_TRUE(ReadCalFromInstrument(ctx, 0));
        } else {
            ASSERT_TRUE(TryPort(ctx, 0, sim.device(), rate));
            EXPECT_EQ(r.instrumentType, model);
            EXPECT_EQ(r.modelName, ModelName(model));
            EXPECT_EQ(r.serialNumber, ModelCalibration(model, 0).Serial);
            EXPECT_EQ(r.firmwareVersion, IsVantorFamily(model) ? "0"
                                         : IsTrevan(model)     ? "2.05"
                                                               : "1.07");
            ConnectInstrument(ctx, 0);
            EXPECT_EQ(r.cancelRequest, 0);
            ASSERT_TRUE(r.calibrationLoaded);
        }
        EXPECT_EQ(r.Calibration().Compare(Held(model, file)), 0);
        EXPECT_TRUE(prompter.shown.empty()) << prompter.shown.front();
        Disconnect(ctx, 0);
    }
}

TEST_F(Live, SendingACalibrationComesBackFromTheInstrument) {
    for (int model : {kVantor6, kCLumo}) {
        SCOPED_TRACE(ModelName(model));
        const std::string file = CalibrationFile(model);
        Simulator sim({"--model", ModelOption(model), "--cal", file});
        ASSERT_TRUE(OpenWithoutIdentifying(ctx, 0, sim.device(), 19200, model));
        Slot().modelName = ModelName(model);
        ASSERT_TRUE(ReadCalFromInstrument(ctx, 0));
        // the changed calibration as the calibration window would hold it
        CalibrationDataClass changed;
        changed.Copy(Slot().Calibration());
        for (int c = 0; c < std::max(changed.ChannelCount(), 0); ++c) {
            changed.SetMu(c, 0, changed.Mu(c) * 2);
            changed.SetGain(c, 2, 10);
        }
        changed.DepthOff = 1.5f;
        changed.CheckAndUpdateAll(program.settings.Sigma, ctx.tables, prompter);
        prompter.answers = {1};  // store it
        if (IsVantorFamily(model)) {
            ASSERT_TRUE(SendToVN(ctx, 0, changed));
            EXPECT_EQ(prompter.shown,
                      std::vector<std::string>{StoreCalibrationQuestion(ModelName(model))});
        } else {
            ASSERT_TRUE(SendToXLumo(ctx, 0, changed));
            EXPECT_EQ(prompter.shown, std::vector<std::string>{kBinaryStoredMessage});
        }
        prompter.shown.clear();
        ASSERT_TRUE(ReadCalFromInstrument(ctx, 0));
        EXPECT_EQ(Slot().Calibration().Compare(changed), 0);
        EXPECT_EQ(Slot().Calibration().Compare(Held(model, file)) & kChangedMu, kChangedMu);
        Disconnect(ctx, 0);
    }
}

TEST_F(Live, ASilentInstrumentAndAKilledSimulatorNeverBreakTheProgram) {
    {
        Simulator silent({"--model", "vantor-6", "--silent"});
        EXPECT_FALSE(DoConnect(ctx, 0, false, silent.device(), 19200, {}));
        EXPECT_EQ(prompter.shown, std::vector<std::string>{kNoInstrumentOnPortMessage});
        EXPECT_FALSE(Slot().PortOpen());
    }
    prompter.shown.clear();
    Simulator sim({"--model", "vantor-6", "--period", "0.05"});
    ctx.loadCalFromInstrument = true;
    ASSERT_TRUE(DoConnect(ctx, 0, false, sim.device(), 19200, {}));
    ASSERT_TRUE(SendCommand(program, "START", 0));
    waiter.Pause(1);
    EXPECT_GT(Slot().sampleCount, 5);
    sim.Kill();
    waiter.Pause(1);
    // disconnecting asks and closes, whatever became of the port
    prompter.answers = {0};  // not to sleep: there is nothing left to hear it
    EXPECT_EQ(DisconnectCommand(ctx, 0), 1);
    EXPECT_FALSE(Slot().PortOpen());
    EXPECT_FALSE(TryPort(ctx, 0, sim.device(), 19200));
}

}  // namespace
}  // namespace tidewell::test
