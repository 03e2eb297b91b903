#pragma once
// The plot of a data window: draws a GraphModel, and turns the mouse (a dragged rectangle, the
// wheel) into the model's zoom. It draws only when asked: the window calls Redraw from its
// redraw timer when NeedsRedraw says the model changed, never for each sample.
//
// Against time the traces are drawn in time order, thinned by the plotting library; against
// depth the depth axis runs down the left side, deeper lower, the Y values along the bottom and
// the Y2 values along the top, and each trace keeps its sample order, thinned in screen space
// first (ThinForScreen).

#include <QSize>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "display/GraphModel.h"

class QPrinter;

namespace tidewell {

class GraphWidget : public QWidget {
    Q_OBJECT

  public:
    explicit GraphWidget(GraphModel& model, QWidget* parent = nullptr);
    ~GraphWidget() override;

    GraphModel& Model() { return model_; }

    // True when the model changed since the last Redraw.
    bool NeedsRedraw() const;
    // Brings the plot up to date with the model and draws it.
    void Redraw();

    // The clock times on the time view's top axis: local time by default.
    void SetTimeSpec(Qt::TimeSpec spec);

    // The menu commands: change the model's view and redraw.
    void ZoomIn();
    void ZoomOut();
    void Previous();
    void FullView();

    // One page: the header lines centred in "Tahoma" above the chart. False when the printer
    // cannot be painted on.
    bool Print(QPrinter& printer, const std::vector<std::string>& headerLines);

    // Writes the chart to `path` in the format of a GraphicsExportType index, at `size` (the
    // plot's own size when not given), under a temporary name renamed when complete. Returns
    // "" or the error to show.
    std::string Export(const std::string& path, int graphicsExportType, QSize size = {});

  signals:
    // The user zoomed with the mouse.
    void viewChanged();
    // The mouse moved over the plot, to `x` in the model's X (minutes or depth).
    void pointerMoved(double x);

  private:
    struct State;
    void Rebuild();
    void AppendTimePoints();
    void ThinDepthTraces(int keyPixels);
    void ApplyAxes();
    void ApplyLook();
    void ZoomToRectangle(const QRect& rect);
    void ZoomByWheel(const QPointF& position, double steps);
    void AfterCommand();

    GraphModel& model_;
    std::unique_ptr<State> d_;
};

}  // namespace tidewell
