// The Logged Data window against a simulated instrument holding three casts: the listing, and
// the download of one cast into its raw and calibrated files.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "instrument/ui/LoggedDataWindow.h"
#include "settings/SettingsStore.h"
#include "shell/ui/DataWindow.h"
#include "shell/ui/DesktopApp.h"
#include "stream/Clock.h"
#include "support/TestSupport.h"
#include "tests/ui/DesktopTest.h"
#include "tests/ui/UiTest.h"

namespace tidewell::test {
namespace {

TEST(LoggedDataWindow, ListsTheCastsAndDownloadsTheSelectedOneIntoItsFiles) {
    Desktop d;
    ScriptedPrompter& prompter = d.prompter;
    Simulator sim({"--model", "vantor-4", "--casts", "3"});
    ui::DataWindow* w = d.StartConnected(sim);
    ASSERT_NE(w, nullptr);

    ui::LoggedDataWindow* logged = w->ShowLoggedData();
    ASSERT_NE(logged, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return logged->StatusText() == " Loaded"; }, 25000))
        << logged->StatusText().toStdString();
    EXPECT_EQ(logged->windowTitle(), "Vantor-4 Logged Data");
    ASSERT_EQ(logged->list()->count(), 3);
    EXPECT_EQ(logged->directory().entries()[1].Number(), 2);
    EXPECT_EQ(logged->directory().entries()[1].Size(), 30);

    TempDir temp;
    const std::string base = temp.File("cast");
    logged->basePath()->setText(QString::fromStdString(base));
    logged->list()->item(1)->setSelected(true);
    logged->Transfer();
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_EQ(prompter.shown.back(), "Transfer Complete");
    EXPECT_EQ(CountSampleLines(ReadFileBytes(base + "2.raw")), 30);
    EXPECT_NE(ReadFileBytes(base + "2.dat").find("DataSource=Instrument Cast2"), std::string::npos);
    SaveScreenshot(*logged, "casts");
    w->CloseWithoutAsking();
}

}  // namespace
}  // namespace tidewell::test
