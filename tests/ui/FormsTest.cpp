// The settings dialogs write their keys on OK and nothing on Cancel, and every dialog leaves a
// screenshot to look at.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "calibration/ui/BbParamsForm.h"
#include "calibration/ui/SigmaParamsForm.h"
#include "files/ui/FileHeaderForm.h"
#include "instrument/Connection.h"
#include "instrument/ui/CalReminderForm.h"
#include "settings/SettingsKeys.h"
#include "shell/ui/PreferencesForm.h"
#include "support/TestSupport.h"
#include "tests/ui/UiTest.h"

namespace tidewell::test {
namespace {

void Shoot(QWidget& form, const QString& name) {
    form.show();
    SaveScreenshot(form, name);
}

// the clamping rule itself is the settings' own: one value out of range shows it is applied
TEST(PreferencesForm, ClampsTheGraphPointsAndWritesTheKeysOnlyOnOk) {
    UiApplication();
    AppSettings settings;
    MemorySettingsStore store;
    ui::PreferencesForm cancelled(settings, store);
    Child<QLineEdit>(cancelled, "MaxGraphPoints")->setText("500");
    cancelled.reject();
    EXPECT_TRUE(store.Values().empty());

    ui::PreferencesForm form(settings, store);
    Child<QLineEdit>(form, "MaxGraphPoints")->setText("500");
    Child<QRadioButton>(form, "ConnectOnStartup2")->setChecked(true);
    Child<QPlainTextEdit>(form, "UserHeader")->setPlainText("Cruise 12\nStation 4");
    Shoot(form, "PreferencesForm");
    form.accept();
    EXPECT_EQ(settings.MaxGraphPoints, 1000);
    EXPECT_EQ(store.Read(keys::MaxGraphPoints), "1000");
    EXPECT_EQ(store.Read(keys::ConnectOnStartup), "2");
    EXPECT_EQ(store.Read(keys::RecallLastCal), "1");
    EXPECT_EQ(store.Read(keys::NameFilesOnOpen), "0");
    EXPECT_EQ(store.Read(keys::UserHeader), "Cruise 12\nStation 4");
}

TEST(SigmaParamsForm, OkKeepsTheDialogOpenAtABoxOutOfItsLimitsAndStoresValidValues) {
    UiApplication();
    TempDir temp;
    SigmaParams params = NumericSigmaParams();
    MemorySettingsStore store;
    ScriptedPrompter prompter;
    ui::SigmaParamsForm form(params, store, temp.path(), prompter);
    Shoot(form, "SigmaParamsForm");
    Child<QLineEdit>(form, "bTilde")->setText("0.05");
    form.accept();
    EXPECT_EQ(prompter.shown,
              std::vector<std::string>{"Please enter either a valid file name or a numeric value "
                                       "between 0.005 and 0.04 for the backscattering ratio."});
    EXPECT_TRUE(store.Values().empty());
    EXPECT_EQ(params, NumericSigmaParams());

    Child<QLineEdit>(form, "bTilde")->setText("0.02");
    Child<QLineEdit>(form, "C")->setText("2.5");
    form.accept();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(params.bTilde, 0.02);
    EXPECT_EQ(store.Read(keys::C), "2.5");
    // a* 0.04 with C 2.5 and no pure water, at 440 nm: 0.06 * 0.04 * 2.5^0.65 * 1.2 + 0.01 e^-0.44
    EXPECT_EQ(ui::AbsorptionEstimateText(params, 440), " 0.012");
    EXPECT_EQ(ui::AbsorptionEstimateText(params, 349), "-----");
}

TEST(Screenshots, PureWaterFileHeaderAndCalibrationDue) {
    UiApplication();
    PureWaterParams prefs;
    MemorySettingsStore store;
    ui::BbParamsForm bb(prefs, store);
    Shoot(bb, "BbParamsForm");
    ui::FileHeaderForm header(
        "TidewellVersion=2.82\r\nCreationDate=07/04/05 14:03:09\r\nFileType=raw\r\n"
        "DeviceType=Vantor-6\r\nDataSource=VN6-2201\r\nCalSource=Vantor-6\r\n"
        "Serial=VN6-2201\r\nConfig=T0\r\n");
    Shoot(header, "FileHeaderForm");
    ui::CalReminderForm reminder(CalReminderText(181));
    EXPECT_EQ(reminder.NextReminderDays(), 1);
    Shoot(reminder, "CalReminderForm");
}

}  // namespace
}  // namespace tidewell::test
