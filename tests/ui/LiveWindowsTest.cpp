// The windows of a data window connected to a simulated instrument, as a user drives them.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidgetItem>

#include "calibration/ui/CalibrationWindow.h"
#include "instrument/CalExchange.h"
#include "instrument/Sampling.h"
#include "instrument/ui/LoggedDataWindow.h"
#include "instrument/ui/SamplingForm.h"
#include "instrument/ui/TerminalWindow.h"
#include "shell/ui/DataWindow.h"
#include "tests/ui/DesktopTest.h"

namespace tidewell::test {
namespace {

// A Vantor-4 holding three casts: the listing and download of one cast, an identification
// typed into the terminal and taken as the reply to that command, then sampling.
TEST(LiveWindows, LoggedDataTerminalAndSamplingOnAVantor4) {
    Desktop d;
    Simulator sim({"--model", "vantor-4", "--period", "0.1", "--casts", "3"});
    ui::DataWindow* w = d.StartConnected(sim);
    ASSERT_NE(w, nullptr);

    ui::LoggedDataWindow* logged = w->ShowLoggedData();
    ASSERT_NE(logged, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return logged->StatusText() == " Loaded"; }, 25000))
        << logged->StatusText().toStdString();
    ASSERT_EQ(logged->list()->count(), 3);
    TempDir temp;
    const std::string base = temp.File("cast");
    logged->basePath()->setText(QString::fromStdString(base));
    logged->list()->item(1)->setSelected(true);
    logged->Transfer();
    ASSERT_FALSE(d.prompter.shown.empty());
    EXPECT_EQ(d.prompter.shown.back(), "Transfer Complete");
    EXPECT_EQ(CountSampleLines(ReadFileBytes(base + "2.raw")), 30);
    EXPECT_NE(ReadFileBytes(base + "2.dat").find("DataSource=Instrument Cast2"), std::string::npos);
    SaveScreenshot(*logged, "casts");
    logged->close();

    w->ShowTerminal();
    ui::TerminalWindow* t = w->terminal();
    ASSERT_NE(t, nullptr);
    InstrumentRecord& r = w->record();
    r.serialNumber.clear();  // the typed command's reply must fill it again
    auto* command = t->findChild<QLineEdit*>();
    QTest::keyClicks(command, "ID");
    QTest::keyClick(command, Qt::Key_Return);
    EXPECT_EQ(command->text(), "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return t->ResponseText().contains("V4-0102"); }, 10000))
        << t->ResponseText().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return r.serialNumber == "V4-0102"; }, 5000));
    SaveScreenshot(*t, "terminal");

    // the samples come into the graph, and into the terminal's data box as counts lines: time
    // and eight raw counts at least
    t->SetMode(TerminalMode::kRawDecimal);
    w->StartSampling();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->graph().PointCount() >= 5; }, 15000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return t->DataText().count('\n') >= 3; }, 10000));
    EXPECT_EQ(w->StatusText(), "Sampling");
    // the last line in full (lines from before the mode was set may come first)
    const QString last = t->DataText().section('\n', -2, -2);
    EXPECT_GE(last.split(' ', Qt::SkipEmptyParts).size(), 9) << last.toStdString();
    SaveScreenshot(*t, "terminal-data");
    SaveScreenshot(*w, "DataWindowLive");

    r.port->Close();  // typing with no open port only says so
    QTest::keyClick(command, 'X');
    EXPECT_EQ(d.prompter.shown.back(), kNoConnectionForCommands);
    w->CloseWithoutAsking();
}

// A Vantor-6 with a shutter: a calibration field edited in place, sent and read back beside
// it; the sampling set-up changed (with bb/fl sharing, so the period question comes) and read
// back.
TEST(LiveWindows, CalibrationAndSamplingOnAVantor6) {
    Desktop d;
    ui::DesktopApp& app = d.app;
    ScriptedPrompter& prompter = d.prompter;
    Simulator sim({"--model", "vantor-6", "--shutter"});
    ui::DataWindow* w = d.StartConnected(sim);
    ASSERT_NE(w, nullptr);
    const InstrumentRecord& r = w->record();
    ui::CalibrationWindow* cal = w->ShowCalibrationWindow();

    QTreeWidgetItem* gain = cal->FieldItem("Channel 1", "Gain 2");
    ASSERT_NE(gain, nullptr);
    gain->setText(1, "12.5");
    EXPECT_EQ(w->record().Calibration().gain(0, 2), 12.5);
    EXPECT_EQ(cal->ChangedText(), "Changed: gain");
    SaveScreenshot(*cal, "calibration");

    prompter.shown.clear();
    prompter.answers = {1, 1};  // proceed, and store it
    ASSERT_TRUE(cal->Send());
    EXPECT_EQ(prompter.shown, (std::vector<std::string>{kSendWarningQuestion,
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

    {
        ui::SamplingForm form(app.program(), app.waiter(), w->Slot(), w);
        form.show();
        ASSERT_TRUE(form.Reload());
        EXPECT_EQ(form.PeriodBox()->text(), "1");
        // sharing bb and fluorescence needs 0.3 s at least: the question is asked, "Yes" raises it
        form.PeriodBox()->setText("0.2");
        QRadioButton* share = nullptr;
        for (QRadioButton* b : form.findChildren<QRadioButton*>())
            if (b->text() == "time-share" && !share) share = b;
        ASSERT_NE(share, nullptr);
        share->setChecked(true);
        prompter.answers = {1};
        ASSERT_TRUE(form.Apply());
        EXPECT_EQ(prompter.shown.back(), kTimeSharePeriodQuestion);
        EXPECT_FLOAT_EQ(r.sampling.period, 0.3f);
        EXPECT_EQ(r.sampling.fluorescenceMode[0], kTimeShare);
        EXPECT_EQ(form.PeriodBox()->text(), "0.3");
        SaveScreenshot(form, "sampling");
    }
    w->CloseWithoutAsking();
}

}  // namespace
}  // namespace tidewell::test
