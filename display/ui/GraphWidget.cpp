#include "display/ui/GraphWidget.h"

#include <qcustomplot.h>

#include <QPrinter>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "display/GraphPrint.h"
#include "display/ScreenThinning.h"
#include "files/DataFileWriter.h"
#include "stream/DateValue.h"

namespace tidewell {

namespace {

// The plot re-thins the depth traces for its new size when it is resized.
class PlotArea : public QCustomPlot {
  public:
    using QCustomPlot::QCustomPlot;
    std::function<void()> onResize;

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QCustomPlot::resizeEvent(event);
        if (onResize) onResize();
    }
};

QColor ToQColor(RgbColor c) {
    return QColor(c.r, c.g, c.b);
}

Qt::PenStyle GridPenStyle(int style) {
    switch (style) {
        case 1:
            return Qt::DashLine;
        case 2:
            return Qt::DotLine;
        case 3:
            return Qt::DashDotLine;
        case 4:
            return Qt::DashDotDotLine;
        default:
            return Qt::SolidLine;
    }
}

QCPScatterStyle::ScatterShape ScatterShape(MarkerShape shape) {
    switch (shape) {
        case MarkerShape::Square:
            return QCPScatterStyle::ssSquare;
        case MarkerShape::Triangle:
            return QCPScatterStyle::ssTriangle;
        case MarkerShape::Cross:
            return QCPScatterStyle::ssCross;
        default:
            return QCPScatterStyle::ssCircle;
    }
}

// Markers are drawn where the points lie far enough apart to tell them from the line.
constexpr int kPixelsPerMarker = 4;

QCPScatterStyle TraceMarker(const GraphDefaults& look, int trace) {
    return QCPScatterStyle(ScatterShape(look.Marker[trace]), 3 + 2 * look.MarkerSize);
}
// The chart's size in print and export when the plot has none yet.
constexpr QSize kDefaultChartSize(900, 600);

// Pictures and print draw the traces antialiased; on screen they are drawn without, which
// halves the time a redraw takes.
class AntialiasedTraces {
  public:
    explicit AntialiasedTraces(QCustomPlot* plot) : plot_(plot) {
        plot_->setNotAntialiasedElements(QCP::aeNone);
    }
    ~AntialiasedTraces() { plot_->setNotAntialiasedElements(QCP::aePlottables); }

  private:
    QCustomPlot* plot_;
};

}  // namespace

struct GraphWidget::State {
    PlotArea* plot = nullptr;
    std::vector<QCPGraph*> graphs;  // time view, per trace
    std::vector<QCPCurve*> curves;  // depth view, per trace
    QSharedPointer<QCPAxisTickerDateTime> clockTicker{new QCPAxisTickerDateTime};
    QSharedPointer<QCPAxisTicker> plainTicker{new QCPAxisTicker};
    uint64_t drawnRevision = ~uint64_t{0};
    uint64_t builtShape = ~uint64_t{0};
    GraphView builtView = GraphView::AgainstTime;
    size_t syncedPoints = 0;
    bool lastZoomWasWheel = false;
    std::vector<size_t> runEnds, kept;  // scratch of the depth thinning
};

GraphWidget::GraphWidget(GraphModel& model, QWidget* parent)
    : QWidget(parent), model_(model), d_(std::make_unique<State>()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    d_->plot = new PlotArea(this);
    layout->addWidget(d_->plot);
    QCustomPlot* plot = d_->plot;
    plot->setNoAntialiasingOnDrag(true);
    plot->setPlottingHint(QCP::phFastPolylines, true);
    plot->setNotAntialiasedElements(QCP::aePlottables);
    d_->clockTicker->setDateTimeFormat("HH:mm:ss");
    plot->setSelectionRectMode(QCP::srmCustom);
    plot->selectionRect()->setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
    connect(plot->selectionRect(), &QCPSelectionRect::accepted, this,
            [this](const QRect& rect, QMouseEvent*) { ZoomToRectangle(rect); });
    connect(plot, &QCustomPlot::mouseWheel, this, [this](QWheelEvent* event) {
        ZoomByWheel(event->position(), event->angleDelta().y() / 120.0);
    });
    plot->setMouseTracking(true);
    connect(plot, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
        const bool depth = model_.View() == GraphView::AgainstDepth;
        emit pointerMoved(depth ? d_->plot->yAxis->pixelToCoord(event->position().y())
                                : d_->plot->xAxis->pixelToCoord(event->position().x()));
    });
    d_->plot->onResize = [this] {
        if (model_.View() == GraphView::AgainstDepth && d_->builtShape == model_.ShapeRevision())
            ThinDepthTraces(d_->plot->height());
    };
    ApplyLook();
    Redraw();
}

GraphWidget::~GraphWidget() = default;

bool GraphWidget::NeedsRedraw() const {
    return d_->drawnRevision != model_.Revision();
}

void GraphWidget::SetTimeSpec(Qt::TimeSpec spec) {
    d_->clockTicker->setDateTimeSpec(spec);
    d_->drawnRevision = ~uint64_t{0};
}

void GraphWidget::Redraw() {
    if (d_->builtShape != model_.ShapeRevision() || d_->builtView != model_.View()) {
        Rebuild();
    } else if (model_.View() == GraphView::AgainstTime) {
        AppendTimePoints();
    }
    ApplyAxes();
    if (model_.View() == GraphView::AgainstDepth) ThinDepthTraces(d_->plot->height());
    d_->plot->replot(QCustomPlot::rpImmediateRefresh);
    d_->drawnRevision = model_.Revision();
}

// A new set of plottables, one per trace, of the kind the view draws with.
void GraphWidget::Rebuild() {
    QCustomPlot* plot = d_->plot;
    plot->clearPlottables();
    d_->graphs.clear();
    d_->curves.clear();
    const GraphDefaults& look = model_.Defaults();
    const bool depth = model_.View() == GraphView::AgainstDepth;
    for (int t = 0; t < model_.TraceCount(); ++t) {
        const bool y2 = model_.IsY2Trace(t);
        QPen pen(ToQColor(look.DataColor[t]), std::max(look.LineSize, 0.0));
        QCPAbstractPlottable* plottable;
        if (depth) {
            auto* curve = new QCPCurve(plot->yAxis, y2 ? plot->xAxis2 : plot->xAxis);
            d_->curves.push_back(curve);
            plottable = curve;
        } else {
            QCPGraph* graph = plot->addGraph(plot->xAxis, y2 ? plot->yAxis2 : plot->yAxis);
            d_->graphs.push_back(graph);
            plottable = graph;
        }
        plottable->setPen(pen);
    }
    d_->syncedPoints = 0;
    if (!depth) AppendTimePoints();
    d_->builtShape = model_.ShapeRevision();
    d_->builtView = model_.View();
}

// The points added since the last redraw go to the end of each time trace.
void GraphWidget::AppendTimePoints() {
    const size_t n = model_.PointCount();
    if (n <= d_->syncedPoints) return;
    const std::vector<double>& x = model_.ElapsedMinutes();
    const bool sorted =
        std::is_sorted(x.begin() + static_cast<std::ptrdiff_t>(d_->syncedPoints), x.end());
    QVector<QCPGraphData> data(static_cast<qsizetype>(n - d_->syncedPoints));
    for (size_t t = 0; t < d_->graphs.size(); ++t) {
        const std::vector<double>& y = model_.TraceValues(static_cast<int>(t));
        for (size_t i = d_->syncedPoints; i < n; ++i)
            data[static_cast<qsizetype>(i - d_->syncedPoints)] = QCPGraphData(x[i], y[i]);
        d_->graphs[t]->data()->add(data, sorted);
    }
    d_->syncedPoints = n;
}

// Each depth trace, cut down to what `keyPixels` rows of the depth axis can show.
void GraphWidget::ThinDepthTraces(int keyPixels) {
    const AxisRange depth = model_.Range(GraphAxis::X);
    const ScreenSpan span{depth.lower, depth.upper, std::max(keyPixels, 1)};
    const std::vector<double>& keys = model_.Depths();
    const int markerLimit = std::max(keyPixels, 1) / kPixelsPerMarker;
    const GraphDefaults& look = model_.Defaults();
    d_->runEnds.clear();
    FindRowRuns(keys, span, d_->runEnds);
    QVector<QCPCurveData> data;
    for (size_t t = 0; t < d_->curves.size(); ++t) {
        QCPCurve* curve = d_->curves[t];
        const int trace = static_cast<int>(t);
        if (!model_.TraceVisible(trace) || (model_.IsY2Trace(trace) && !model_.Y2Shown())) {
            curve->data()->clear();
            continue;
        }
        const std::vector<double>& values = model_.TraceValues(trace);
        d_->kept.clear();
        ThinRuns(keys, values, d_->runEnds, d_->kept);
        data.resize(static_cast<qsizetype>(d_->kept.size()));
        for (size_t j = 0; j < d_->kept.size(); ++j) {
            size_t i = d_->kept[j];
            data[static_cast<qsizetype>(j)] =
                QCPCurveData(static_cast<double>(i), keys[i], values[i]);
        }
        curve->data()->set(data, true);
        const bool markers = static_cast<int>(d_->kept.size()) <= markerLimit;
        curve->setScatterStyle(markers ? TraceMarker(look, trace) : QCPScatterStyle());
    }
}

// Titles, ranges and which axes show, by the view.
void GraphWidget::ApplyAxes() {
    QCustomPlot* plot = d_->plot;
    const bool depth = model_.View() == GraphView::AgainstDepth;
    const bool y2 = model_.Y2Shown();
    const AxisRange x = model_.Range(GraphAxis::X), y = model_.Range(GraphAxis::Y),
                    yy = model_.Range(GraphAxis::Y2);
    auto set = [](QCPAxis* axis, const std::string& title, AxisRange range) {
        axis->setLabel(QString::fromStdString(title));
        axis->setRange(range.lower, range.upper);
    };
    if (depth) {
        set(plot->yAxis, model_.Title(GraphAxis::X), x);
        plot->yAxis->setRangeReversed(true);  // deeper is lower
        set(plot->xAxis, model_.Title(GraphAxis::Y), y);
        plot->xAxis2->setTicker(d_->plainTicker);
        set(plot->xAxis2, model_.Title(GraphAxis::Y2), yy);
        plot->xAxis2->setVisible(y2);
        plot->yAxis2->setVisible(false);
    } else {
        set(plot->xAxis, model_.Title(GraphAxis::X), x);
        plot->yAxis->setRangeReversed(false);
        set(plot->yAxis, model_.Title(GraphAxis::Y), y);
        set(plot->yAxis2, model_.Title(GraphAxis::Y2), yy);
        plot->yAxis2->setVisible(y2);
        // the clock time of the elapsed minutes along the top, when the data have a clock
        const bool clock = model_.StartTime() != 0;
        plot->xAxis2->setVisible(clock);
        if (clock) {
            const double start = UnixSecondsFromDate(model_.StartTime());
            plot->xAxis2->setTicker(d_->clockTicker);
            plot->xAxis2->setLabel(d_->clockTicker->dateTimeSpec() == Qt::UTC ? "Time (UTC)"
                                                                              : "Time");
            plot->xAxis2->setRange(start + x.lower * 60, start + x.upper * 60);
        }
        const std::vector<double>& minutes = model_.ElapsedMinutes();
        size_t inView = minutes.size();
        if (std::is_sorted(minutes.begin(), minutes.end()))
            inView = static_cast<size_t>(std::upper_bound(minutes.begin(), minutes.end(), x.upper) -
                                         std::lower_bound(minutes.begin(), minutes.end(), x.lower));
        const bool markers =
            inView <= static_cast<size_t>(std::max(plot->width(), 1) / kPixelsPerMarker);
        for (size_t t = 0; t < d_->graphs.size(); ++t)
            d_->graphs[t]->setScatterStyle(
                markers ? TraceMarker(model_.Defaults(), static_cast<int>(t)) : QCPScatterStyle());
    }
    // which traces show, and their names in the legend
    bool named = false;
    for (int t = 0; t < plot->plottableCount(); ++t) {
        QCPAbstractPlottable* plottable = plot->plottable(t);
        const bool shown = model_.TraceVisible(t) && (!model_.IsY2Trace(t) || y2);
        const QString name = QString::fromStdString(model_.TraceName(t));
        plottable->setVisible(shown);
        plottable->setName(name);
        if (shown && !name.isEmpty()) {
            plottable->addToLegend();
            named = true;
        } else {
            plottable->removeFromLegend();
        }
    }
    plot->legend->setVisible(named);
}

// Colours, grid and fonts from the graph defaults.
void GraphWidget::ApplyLook() {
    QCustomPlot* plot = d_->plot;
    const GraphDefaults& look = model_.Defaults();
    plot->setBackground(ToQColor(look.GraphExtColor));
    plot->axisRect()->setBackground(ToQColor(look.GraphColor));
    QPen grid(ToQColor(look.GridColor), 0, GridPenStyle(look.GridStyle));
    QColor gridColor = grid.color();
    gridColor.setAlpha(90);  // the grid stays behind the traces
    grid.setColor(gridColor);
    QFont label = font();
    label.setPointSizeF(std::max(label.pointSizeF(), 9.0));
    for (QCPAxis* axis : {plot->xAxis, plot->yAxis, plot->xAxis2, plot->yAxis2}) {
        axis->grid()->setVisible(look.GridOn && (axis == plot->xAxis || axis == plot->yAxis));
        axis->grid()->setPen(grid);
        axis->grid()->setZeroLinePen(grid);
        axis->setLabelFont(label);
        axis->setTickLabelFont(label);
    }
    plot->legend->setFont(label);
    plot->legend->setBrush(QColor(255, 255, 255, 220));
    plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
}

// ---- Zooming

void GraphWidget::AfterCommand() {
    d_->lastZoomWasWheel = false;
    Redraw();
}

void GraphWidget::ZoomIn() {
    model_.ZoomIn();
    AfterCommand();
}

void GraphWidget::ZoomOut() {
    model_.ZoomOut();
    AfterCommand();
}

void GraphWidget::Previous() {
    model_.Previous();
    AfterCommand();
}

void GraphWidget::FullView() {
    model_.FullView();
    AfterCommand();
}

void GraphWidget::ZoomToRectangle(const QRect& rect) {
    if (rect.width() < 4 || rect.height() < 4) return;  // a click, not a rectangle
    auto span = [&rect](QCPAxis* axis) {
        const bool across = axis->orientation() == Qt::Horizontal;
        double a = axis->pixelToCoord(across ? rect.left() : rect.top());
        double b = axis->pixelToCoord(across ? rect.right() : rect.bottom());
        return AxisRange{std::min(a, b), std::max(a, b)};
    };
    QCustomPlot* plot = d_->plot;
    if (model_.View() == GraphView::AgainstDepth) {
        model_.ZoomTo(span(plot->yAxis), span(plot->xAxis), span(plot->xAxis2));
    } else {
        model_.ZoomTo(span(plot->xAxis), span(plot->yAxis), span(plot->yAxis2));
    }
    AfterCommand();
    emit viewChanged();
}

// Each wheel step zooms every axis about the point under the mouse; a run of steps counts as
// one zoom for "Previous".
void GraphWidget::ZoomByWheel(const QPointF& position, double steps) {
    if (steps == 0) return;
    const double factor = std::pow(0.85, steps);
    auto scaled = [&](QCPAxis* axis) {
        const double centre =
            axis->pixelToCoord(axis->orientation() == Qt::Horizontal ? position.x() : position.y());
        const QCPRange r = axis->range();
        return AxisRange{centre + (r.lower - centre) * factor,
                         centre + (r.upper - centre) * factor};
    };
    QCustomPlot* plot = d_->plot;
    const bool save = !d_->lastZoomWasWheel;
    if (model_.View() == GraphView::AgainstDepth) {
        model_.ZoomTo(scaled(plot->yAxis), scaled(plot->xAxis), scaled(plot->xAxis2), save);
    } else {
        model_.ZoomTo(scaled(plot->xAxis), scaled(plot->yAxis), scaled(plot->yAxis2), save);
    }
    Redraw();
    d_->lastZoomWasWheel = true;
    emit viewChanged();
}

// ---- Print and export

bool GraphWidget::Print(QPrinter& printer, const std::vector<std::string>& headerLines) {
    if (NeedsRedraw()) Redraw();
    QCPPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRect page = painter.viewport();
    QFont header("Tahoma", 11);
    painter.setFont(header);
    const int lineHeight = painter.fontMetrics().height();
    int top = 0;
    for (const std::string& line : headerLines) {
        painter.drawText(QRect(0, top, page.width(), lineHeight), Qt::AlignHCenter | Qt::AlignTop,
                         QString::fromStdString(line));
        top += lineHeight;
    }
    top += lineHeight / 2;
    QSize chart = d_->plot->size().isEmpty() ? kDefaultChartSize : d_->plot->size();
    const double scale = std::min(static_cast<double>(page.width()) / chart.width(),
                                  static_cast<double>(page.height() - top) / chart.height());
    painter.translate((page.width() - chart.width() * scale) / 2, top);
    painter.scale(scale, scale);
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    bool printed;
    {
        AntialiasedTraces antialiased(d_->plot);
        d_->plot->toPainter(&painter, chart.width(), chart.height());
        printed = painter.end();
    }
    d_->plot->replot();  // lays the plot out for the screen again
    return printed;
}

std::string GraphWidget::Export(const std::string& path, int graphicsExportType, QSize size) {
    const ExportFormat& format = ExportFormatFor(graphicsExportType);
    if (size.isEmpty()) size = d_->plot->size().isEmpty() ? kDefaultChartSize : d_->plot->size();
    if (NeedsRedraw()) Redraw();
    const std::string temp = path + ".part";
    // opening the file first tells why it cannot be written, which the library does not
    if (std::FILE* probe = std::fopen(temp.c_str(), "wb")) {
        std::fclose(probe);
    } else {
        return OpenErrorText(path, SystemErrorText(errno));
    }
    const bool depth = model_.View() == GraphView::AgainstDepth;
    if (depth) ThinDepthTraces(size.height());
    QCustomPlot* plot = d_->plot;
    const QString file = QString::fromStdString(temp);
    const int w = size.width(), h = size.height();
    bool written = false;
    auto antialiased = std::make_unique<AntialiasedTraces>(plot);
    switch (format.kind) {
        case PictureKind::Jpeg:
            written = plot->saveJpg(file, w, h, 1.0, format.jpegQuality);
            break;
        case PictureKind::Bmp:
            written = plot->saveBmp(file, w, h);
            break;
        case PictureKind::Png:
            written = plot->savePng(file, w, h);
            break;
        case PictureKind::Pdf:
            written = plot->savePdf(file, w, h);
            break;
        case PictureKind::Svg: {
            QSvgGenerator svg;
            svg.setFileName(file);
            svg.setSize(size);
            svg.setViewBox(QRect(QPoint(0, 0), size));
            QCPPainter painter;
            if (painter.begin(&svg)) {
                painter.setMode(QCPPainter::pmVectorized);
                painter.setMode(QCPPainter::pmNoCaching);
                plot->toPainter(&painter, w, h);
                written = painter.end();
            }
            break;
        }
    }
    antialiased.reset();
    if (depth) ThinDepthTraces(plot->height());
    plot->replot();  // lays the plot out for the screen again
    std::error_code renameError, ignored;
    if (written) std::filesystem::rename(temp, path, renameError);
    if (!written || renameError) {
        std::filesystem::remove(temp, ignored);
        return OpenErrorText(path, written ? SystemErrorText(renameError.value())
                                           : "The picture could not be written");
    }
    return "";
}

}  // namespace tidewell
