// The real serial code against the simulator: the port on its pseudo-terminal, the 50 ms input
// timer, and waits that run the event loop on the computer's clock.

#include <gtest/gtest.h>

#include "calibration/BinaryImage.h"
#include "instrument/CalExchange.h"
#include "stream/NumberText.h"
#include "tests/integration/SimProcess.h"

namespace tidewell::test {
namespace {

class Live : public ::testing::Test, public LiveProgram {
  protected:
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
};

// One model of each family: its calibration comes as text, as a binary image, or as the
// Trevan's text (the x-Lumo, reached with its model chosen, records in the record tests).
// 115200 is reached only by choosing it.
TEST_F(Live, EachFamilyIdentifiesAndGivesItsCalibration) {
    const struct {
        int model;
        int32_t rate;
    } cases[] = {{kVantor4, 9600}, {kALumo, 57600}, {kTrevan2, 115200}};
    for (const auto& [model, rate] : cases) {
        SCOPED_TRACE(ModelName(model));
        const std::string file = CalibrationFile(model);
        Simulator sim({"--model", ModelOption(model), "--cal", file, "--baud", PlainInt(rate)});
        ASSERT_FALSE(sim.device().empty());
        InstrumentRecord& r = Slot();
        ASSERT_TRUE(TryPort(ctx, 0, sim.device(), rate));
        EXPECT_EQ(r.instrumentType, model);
        EXPECT_EQ(r.serialNumber, ModelCalibration(model, 0).Serial);
        ConnectInstrument(ctx, 0);
        EXPECT_EQ(r.cancelRequest, 0);
        ASSERT_TRUE(r.calibrationLoaded);
        EXPECT_EQ(r.Calibration().Compare(Held(model, file)), 0);
        EXPECT_TRUE(prompter.shown.empty()) << prompter.shown.front();
        Disconnect(ctx, 0);
    }
}

// A single-channel instrument takes its calibration as a binary image (the Vantor's text upload
// is driven from the calibration window in the window tests).
TEST_F(Live, SendingACalibrationComesBackFromTheInstrument) {
    const std::string file = CalibrationFile(kCLumo);
    Simulator sim({"--model", "c-lumo", "--cal", file});
    ASSERT_TRUE(OpenWithoutIdentifying(ctx, 0, sim.device(), 19200, kCLumo));
    Slot().modelName = ModelName(kCLumo);
    ASSERT_TRUE(ReadCalFromInstrument(ctx, 0));
    // the changed calibration as the calibration window would hold it
    CalibrationDataClass changed;
    changed.Copy(Slot().Calibration());
    changed.SetMu(0, 0, changed.Mu(0) * 2);
    changed.SetGain(0, 2, 10);
    changed.DepthOff = 1.5f;
    changed.CheckAndUpdateAll(program.settings.Sigma, ctx.tables, prompter);
    prompter.answers = {1};  // store it
    ASSERT_TRUE(SendToXLumo(ctx, 0, changed));
    EXPECT_EQ(prompter.shown, std::vector<std::string>{kBinaryStoredMessage});
    ASSERT_TRUE(ReadCalFromInstrument(ctx, 0));
    EXPECT_EQ(Slot().Calibration().Compare(changed), 0);
}

}  // namespace
}  // namespace tidewell::test
