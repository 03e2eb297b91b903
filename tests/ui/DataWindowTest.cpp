// Data windows as a user drives them: a stored raw file opened into a window, the limit of six
// windows, the spectrum and visibility views of stored files.

#include <gtest/gtest.h>

#include <QPointer>

#include "display/ui/ChannelCurveWindow.h"
#include "files/BatchTestFiles.h"
#include "settings/AppSettings.h"
#include "shell/ui/DataWindow.h"
#include "tests/ui/DesktopTest.h"

namespace tidewell::test {
namespace {

TEST(DataWindow, StoredFilesTheirSpectrumAndVisibilityAndNoSeventhWindow) {
    Desktop d;
    // the settings the file's calibrated twin was made with
    const HeaderSettings twin = HandHeaderSettings();
    SaveSigmaParams(d.store, twin.sigma);
    SaveBbPrefs(d.store, twin.pureWater);
    ui::DataWindow* w = d.app.Start();
    ASSERT_NE(w, nullptr);
    w->OpenDataFile(DataPath("batch/vantor6.raw"), DataPath("batch/vantor6.cal"));
    ASSERT_EQ(w->graph().TraceCount(), 8);
    ASSERT_GE(w->graph().PointCount(), 4u);
    // the first row of the file's calibrated twin: bb .04, .08 ... .24 at 100 m
    EXPECT_DOUBLE_EQ(w->graph().Depths()[0], 100);
    for (int t = 0; t < 6; ++t) EXPECT_NEAR(w->graph().TraceValues(t)[0], .04 * (t + 1), 1e-6) << t;
    QApplication::processEvents();  // the channel switches show on the next pass
    SaveScreenshot(*w, "DataWindowFile");

    // a calibrated file: the spectrum of the point under the mouse
    w = d.app.NewWindow();
    w->OpenDataFile(DataPath("batch/vantor6.dat"), "");
    const GraphModel& graph = w->graph();
    ASSERT_EQ(graph.PointCount(), 4u);
    w->GraphAgainstChannel();
    QPointer<ChannelCurveWindow> spectrum = w->spectrum();
    ASSERT_TRUE(spectrum);
    EXPECT_TRUE(d.app.MenuSources()[1].spectrumOpen);
    // the first row: bb .04 to .24 at the wavelengths its channels are named with
    w->FollowPointer(graph.XValues()[0]);
    EXPECT_EQ(spectrum->Current().wavelengths, (std::vector<double>{412, 440, 470, 532, 595, 660}));
    EXPECT_EQ(spectrum->Current().values, (std::vector<double>{.04, .08, .12, .16, .2, .24}));
    spectrum->Capture();
    w->FollowPointer(graph.XValues()[3]);
    EXPECT_EQ(spectrum->Current().values, std::vector<double>(6, .004));
    ASSERT_EQ(spectrum->Captured().size(), 1u);
    EXPECT_EQ(CurveLabel(spectrum->Captured()[0].time), "1970-01-01 12:00:00");
    spectrum->SetScale({false, 0, 0.3});
    SaveScreenshot(*spectrum, "spectrum");
    w->GraphVisibility();
    EXPECT_EQ(d.prompter.shown.back(), kKavraOnlyALumoMessage);

    ui::DataWindow* a = d.app.NewWindow();
    a->OpenDataFile(DataPath("batch/alumo.dat"), "");
    a->GraphAgainstChannel();
    EXPECT_EQ(d.prompter.shown.back(), kNoSpectralDataMessage);
    a->GraphVisibility();
    EXPECT_EQ(a->graph().Title(GraphAxis::Y), "Visibility Distance (ft)");
    EXPECT_EQ(a->graph().Title(GraphAxis::Y2), "Attenuation Coefficient (/m)");
    // an attenuation of 2.772589 /m: ln(.2 / .02) / 2.772589 m
    EXPECT_NEAR(a->graph().TraceValues(0)[0], 2.7246728, 1e-6);
    EXPECT_TRUE(a->VsTime());
    QApplication::processEvents();  // the channel switches show on the next pass
    SaveScreenshot(*a, "kavra");

    // six windows at most
    while (d.app.Windows().size() < 6) ASSERT_NE(d.app.NewWindow(), nullptr);
    EXPECT_EQ(d.app.NewWindow(), nullptr);
    EXPECT_EQ(d.prompter.shown.back(), "Cannot open more than 6 windows.");

    w->CloseWithoutAsking();  // its spectrum window closes with it
    EXPECT_TRUE(!spectrum || !spectrum->isVisible());
}

}  // namespace
}  // namespace tidewell::test
