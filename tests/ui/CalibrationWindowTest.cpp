// The calibration window of a data window connected to a simulated Vantor-6: a field edited in
// place, the calibration sent, and the instrument's read back beside it.

#include <gtest/gtest.h>

#include <QTreeWidgetItem>

#include "calibration/ui/CalibrationWindow.h"
#include "instrument/CalExchange.h"
#include "shell/ui/DataWindow.h"
#include "tests/ui/DesktopTest.h"
#include "tests/ui/UiTest.h"

namespace tidewell::test {
namespace {

TEST(CalibrationWindow, AnEditedFieldIsSentAndReadBackFromTheInstrument) {
    Desktop d;
    Simulator sim({"--model", "vantor-6"});
    ui::DataWindow* w = d.StartConnected(sim);
    ASSERT_NE(w, nullptr);
    ui::CalibrationWindow* cal = w->ShowCalibrationWindow();
    EXPECT_EQ(BuildWindowMenu(d.app.MenuSources(), 0, WindowKind::kData)[1].caption,
              "   Calibration");

    QTreeWidgetItem* gain = cal->FieldItem("Channel 1", "Gain 2");
    ASSERT_NE(gain, nullptr);
    gain->setText(1, "12.5");
    EXPECT_EQ(w->record().Calibration().gain(0, 2), 12.5);
    EXPECT_EQ(cal->ChangedText(), "Changed: gain");
    SaveScreenshot(*cal, "calibration");

    d.prompter.shown.clear();
    d.prompter.answers = {1, 1};  // proceed, and store it
    ASSERT_TRUE(cal->Send());
    EXPECT_EQ(d.prompter.shown, (std::vector<std::string>{kSendWarningQuestion,
                                                          StoreCalibrationQuestion("Vantor-6")}));

    // a name sets the wavelength at once; the instrument keeps its own name
    QTreeWidgetItem* name = cal->FieldItem("Channel 1", "Name");
    ASSERT_NE(name, nullptr);
    name->setText(1, "bb(555)");
    EXPECT_EQ(cal->FieldItem("Channel 1", "Lambda")->text(1), "555");
    ASSERT_TRUE(cal->ReadOtherFromInstrument());
    EXPECT_EQ(gain->text(2), "12.5");
    // the name, its wavelength and the absorption estimated at it
    EXPECT_EQ(cal->DifferingCount(), 3);
    EXPECT_TRUE(name->font(1).bold());
    EXPECT_TRUE(cal->ComparisonText().contains(": identification (3 fields differ)"))
        << cal->ComparisonText().toStdString();
    SaveScreenshot(*cal, "calibration-compare");
    w->CloseWithoutAsking();
}

}  // namespace
}  // namespace tidewell::test
