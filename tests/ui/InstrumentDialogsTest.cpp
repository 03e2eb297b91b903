// The instrument dialogs of a data window against a simulated Vantor-6 with a shutter: the
// sampling set-up read, changed (with bb/fl sharing, so the period question comes) and read
// back; the clock read; a reset of the open port stopped.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressDialog>
#include <QRadioButton>

#include "instrument/Sampling.h"
#include "instrument/ui/ClockForm.h"
#include "instrument/ui/ResetForm.h"
#include "instrument/ui/SamplingForm.h"
#include "settings/SettingsStore.h"
#include "shell/ui/DataWindow.h"
#include "shell/ui/DesktopApp.h"
#include "stream/Clock.h"
#include "support/TestSupport.h"
#include "tests/ui/DesktopTest.h"
#include "tests/ui/UiTest.h"

namespace tidewell::test {
namespace {

TEST(InstrumentDialogs, SamplingIsAppliedAndReadBackTheClockReadAResetStopped) {
    Desktop d;
    ui::DesktopApp& app = d.app;
    ScriptedPrompter& prompter = d.prompter;
    Simulator sim({"--model", "vantor-6", "--shutter"});
    ui::DataWindow* w = d.StartConnected(sim);
    ASSERT_NE(w, nullptr);
    const InstrumentRecord& r = w->record();

    {
        ui::SamplingForm form(app.program(), app.waiter(), w->Slot(), w);
        form.show();
        ASSERT_TRUE(form.Reload());
        EXPECT_EQ(form.PeriodBox()->text(), "1");
        EXPECT_EQ(form.windowTitle(), "Sampling Options");
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
    {
        ui::ClockForm form(app.program(), app.waiter(), w->Slot(), w);
        form.show();
        EXPECT_EQ(form.InstrumentTimeText(), kClockLoadingText);
        ASSERT_TRUE(form.ReadClock());
        EXPECT_EQ(form.InstrumentTimeText().size(), 8) << form.InstrumentTimeText().toStdString();
        SaveScreenshot(form, "clock");
    }
    {
        ui::ResetForm form(app.program(), app.waiter(), w->Slot(), w);
        form.show();
        SaveScreenshot(form, "reset");
        form.findChild<QLineEdit*>()->setText("30");
        // Stop in the progress window ends the break at once and asks nothing
        QTimer::singleShot(300, &form, [&form] {
            auto* progress = form.findChild<QProgressDialog*>();
            ASSERT_NE(progress, nullptr);
            EXPECT_EQ(progress->windowTitle(), "Resetting Vantor-6");
            SaveScreenshot(*progress, "reset-progress");
            progress->cancel();
        });
        const size_t asked = prompter.shown.size();
        EXPECT_EQ(form.Reset(), ResetResult::kStopped);
        EXPECT_EQ(prompter.shown.size(), asked);
        EXPECT_FALSE(r.PortOpen());
    }
    w->CloseWithoutAsking();
}

}  // namespace
}  // namespace tidewell::test
