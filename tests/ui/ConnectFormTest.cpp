// The connection dialog on the real serial code, connected to the simulator.

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "instrument/ui/ConnectForm.h"
#include "settings/SettingsKeys.h"
#include "tests/integration/SimProcess.h"
#include "tests/ui/UiTest.h"

namespace tidewell::test {
namespace {

TEST(ConnectForm, ConnectsToTheSimulatorAndDisconnectsWithTheSleepQuestion) {
    UiApplication();
    LiveProgram live;
    // a calibration ten days old, which needs no reminder
    ASSERT_TRUE(
        ModelCalibration(kVantor6, live.clock.Now() - 10).SaveCopyToFile(live.temp.File("v6.cal")));
    Simulator sim({"--model", "vantor-6", "--cal", live.temp.File("v6.cal")});
    ASSERT_FALSE(sim.device().empty());

    auto form = std::make_unique<ui::ConnectForm>(live.ctx, 0);
    form->show();
    EXPECT_EQ(form->StatusText(), kNoConnectionStatus);
    SaveScreenshot(*form, "ConnectForm");
    form->findChild<QComboBox*>("Port")->setEditText(QString::fromStdString(sim.device()));
    form->findChild<QComboBox*>("Baud")->setCurrentText("19200");
    QTest::mouseClick(form->findChild<QPushButton*>("Connect"), Qt::LeftButton);

    const InstrumentRecord& r = live.program.Slot(0);
    EXPECT_EQ(form->StatusText(), " Vantor-6 connected");  // identified
    EXPECT_TRUE(r.calibrationLoaded);
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_TRUE(live.prompter.shown.empty()) << live.prompter.shown.front();
    EXPECT_EQ(live.store.Read(keys::Port), sim.device());
    EXPECT_EQ(live.store.Read(keys::Baud), "19200");
    EXPECT_EQ(live.store.Read(keys::LoadCal), "1");

    // the dialog opened again over a connected instrument: "Disconnect" asks about sleep
    form = std::make_unique<ui::ConnectForm>(live.ctx, 0);
    live.prompter.answers = {0};  // "No"
    EXPECT_EQ(form->DisconnectInstrument(), 1);
    EXPECT_EQ(live.prompter.shown, std::vector<std::string>{SleepQuestion("Vantor-6")});
    EXPECT_FALSE(r.PortOpen());
    EXPECT_EQ(form->StatusText(), kNoConnectionStatus);
}

}  // namespace
}  // namespace tidewell::test
