#include "display/ui/GraphWidget.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPdfDocument>
#include <QPrinter>
#include <QSvgRenderer>
#include <QTest>
#include <cmath>

#include "display/GraphPrint.h"
#include "stream/DateValue.h"
#include "stream/Models.h"
#include "support/TestSupport.h"
#include "tests/ui/UiTest.h"

namespace tidewell {
namespace {

// A cast of a Vantor-6 (8 channels) or an a-Lumo (bb and, on Y2, absorption): one sample a
// second, down to 80 m and up again.
void FillCast(GraphModel& model, int points, int type = kVantor6) {
    static const char* kNames[8] = {"bb(412)", "bb(440)", "bb(488)", "bb(510)",
                                    "bb(532)", "bb(595)", "fl(470)", "fl(530)"};
    model.SetInstrumentType(type);
    std::vector<CalibratedSample> samples(static_cast<size_t>(points));
    for (int i = 0; i < points; ++i) {
        CalibratedSample& s = samples[static_cast<size_t>(i)];
        const double f = static_cast<double>(i) / points;
        s.time = DateTimeValue({2024, 3, 5, 14, 0, 0}) + i / 86400.0;
        s.depth = static_cast<float>(f < 0.5 ? 160 * f : 160 * (1 - f));
        for (int c = 0; c < 8; ++c) {
            s.valid[c] = true;
            s.bb[c] = s.bbCorrected[c] =
                0.002 * (c + 1) * (1 + 0.3 * std::sin(i / 40.0 + c)) * (1 + s.depth / 80);
        }
        s.sigmaK = s.attenuation[0] = static_cast<float>(0.4 + 0.1 * std::cos(i / 25.0));
    }
    const int traces = model.TraceCount();
    for (int c = 0; c < traces; ++c)
        model.SetTraceName(c, model.IsY2Trace(c) ? "c(650)" : kNames[c]);
    model.AddPoints(samples);
}

TEST(GraphWidget, DrawsBothViewsZoomsPrintsAndExportsEveryFormat) {
    test::UiApplication();
    GraphModel model;
    FillCast(model, 3600);
    model.SetViewAgainstTime();
    GraphWidget widget(model);
    widget.SetTimeSpec(Qt::UTC);
    widget.resize(900, 600);
    widget.show();
    ASSERT_TRUE(widget.NeedsRedraw());
    widget.Redraw();
    EXPECT_FALSE(widget.NeedsRedraw());
    test::SaveScreenshot(widget, "GraphTime");

    const AxisRange full = model.Range(GraphAxis::X);
    QWidget* plot = widget.findChild<QWidget*>();
    ASSERT_NE(plot, nullptr);

    // a rectangle dragged over the middle of the plot
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(plot, QPoint(500, 300));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(500, 300));
    const AxisRange dragged = model.Range(GraphAxis::X);
    EXPECT_FALSE(model.Limits(GraphAxis::X).min.automatic);
    EXPECT_GT(dragged.lower, full.lower);
    EXPECT_LT(dragged.upper, full.upper);
    EXPECT_FALSE(widget.NeedsRedraw());

    widget.Previous();
    EXPECT_EQ(model.Range(GraphAxis::X), full);

    test::TempDir dir;
    const QSize size(640, 480);
    for (int type = 0; type < kExportFormatCount; ++type) {
        const ExportFormat& format = ExportFormatFor(type);
        const std::string path = dir.File("chart" + std::to_string(type) + "." + format.extension);
        ASSERT_EQ(widget.Export(path, type, size), "") << type;
        const QString file = QString::fromStdString(path);
        QPdfDocument pdf;
        if (format.kind == PictureKind::Svg)
            EXPECT_EQ(QSvgRenderer(file).viewBox(), QRect(QPoint(0, 0), size));
        else if (format.kind == PictureKind::Pdf)
            EXPECT_EQ(pdf.load(file), QPdfDocument::Error::None);
        else
            EXPECT_EQ(QImage(file).size(), size) << type;
    }
    // nothing is left under the temporary name; a folder that does not exist is an error
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.File("chart0.jpg.part"))));
    EXPECT_EQ(widget.Export(dir.File("none/chart.png"), 6),
              "Error opening " + dir.File("none/chart.png") + ": No such file or directory.");

    // against depth: the depth axis down the left side, thinned traces
    model.SetViewAgainstDepth();
    widget.Redraw();
    test::SaveScreenshot(widget, "GraphDepth");

    PrintHeaderInfo info{
        "Cast 3", true, {"/data/Cast3.raw", "/data/Cast3.dat"}, "/cal/V6-123.cal", kVantor6,
        "123",    true, DateTimeValue({2024, 3, 5, 14, 3, 9})};
    const std::vector<std::string> lines = PrintHeaderLines(info);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.File("print.pdf")));
    ASSERT_TRUE(widget.Print(printer, lines));
    QPdfDocument printed;
    ASSERT_EQ(printed.load(QString::fromStdString(dir.File("print.pdf"))),
              QPdfDocument::Error::None);
    const QString text = printed.getAllText(0).text();
    for (const std::string& line : lines)
        EXPECT_TRUE(text.contains(QString::fromStdString(line))) << line;

    // a second quantity on Y2: along the top against depth, on the right against time
    FillCast(model, 120, kALumo);  // few enough points for markers
    widget.Redraw();
    test::SaveScreenshot(widget, "GraphDepthY2");
    model.SetViewAgainstTime();
    widget.Redraw();
    test::SaveScreenshot(widget, "GraphTimeY2");
}

}  // namespace
}  // namespace tidewell
