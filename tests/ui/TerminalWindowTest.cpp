// The terminal as a user drives it: a command typed into it reaches the instrument and the
// reply shows in its response box and is taken as the reply to that command.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "instrument/ui/TerminalWindow.h"
#include "settings/SettingsStore.h"
#include "shell/ui/DataWindow.h"
#include "shell/ui/DesktopApp.h"
#include "stream/Clock.h"
#include "stream/LinkState.h"
#include "support/TestSupport.h"
#include "tests/ui/DesktopTest.h"
#include "tests/ui/UiTest.h"

namespace tidewell::test {
namespace {

TEST(TerminalWindow, TypedIdShowsAndParsesTheIdentification) {
    Desktop d;
    ui::DesktopApp& app = d.app;
    ScriptedPrompter& prompter = d.prompter;
    Simulator sim({"--model", "vantor-4", "--period", "0.1"});
    ui::DataWindow* w = d.StartConnected(sim);
    ASSERT_NE(w, nullptr);
    w->ShowTerminal();
    ui::TerminalWindow* t = w->terminal();
    ASSERT_NE(t, nullptr);
    EXPECT_NE(t->windowTitle().indexOf("(V4-0102) Terminal - Tidewell"), -1)
        << t->windowTitle().toStdString();
    EXPECT_TRUE(app.MenuSources()[0].terminalOpen);

    InstrumentRecord& r = w->record();
    r.serialNumber.clear();  // the typed command's reply must fill it again
    auto* command = t->findChild<QLineEdit*>();
    QTest::keyClicks(command, "ID");
    EXPECT_EQ(command->text(), "ID");
    QTest::keyClick(command, Qt::Key_Return);
    EXPECT_EQ(command->text(), "");
    EXPECT_TRUE(QTest::qWaitFor([&] { return t->ResponseText().contains("V4-0102"); }, 10000))
        << t->ResponseText().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return r.serialNumber == "V4-0102"; }, 5000));
    SaveScreenshot(*t, "terminal");

    // the samples come into the data box as counts lines: time and eight raw counts at least
    t->SetMode(TerminalMode::kRawDecimal);
    w->StartSampling();
    EXPECT_TRUE(QTest::qWaitFor([&] { return t->DataText().count('\n') >= 3; }, 10000));
    const QStringList lines = t->DataText().split('\n');
    EXPECT_GE(lines[0].split(' ', Qt::SkipEmptyParts).size(), 9) << lines[0].toStdString();
    SaveScreenshot(*t, "terminal-data");

    r.port->Close();  // typing with no open port only says so
    QTest::keyClick(command, 'X');
    EXPECT_EQ(command->text(), "");
    EXPECT_EQ(prompter.shown.back(), kNoConnectionForCommands);
    r.link.state = kLinkNoConnection;  // as a disconnection leaves it: the response box empties
    EXPECT_TRUE(QTest::qWaitFor([&] { return t->ResponseText().isEmpty(); }, 5000));
    w->CloseWithoutAsking();
}

}  // namespace
}  // namespace tidewell::test
