#include "display/ui/ChannelCurveWindow.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "display/AxisTitles.h"

namespace tidewell {

namespace {

constexpr int kWavelengthAxisCode = 18;

// The colours of the kept curves, in turn; the current one is drawn in black.
const QColor kCaptureColours[] = {QColor(31, 119, 180), QColor(214, 39, 40),   QColor(44, 160, 44),
                                  QColor(255, 127, 14), QColor(148, 103, 189), QColor(140, 86, 75)};

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

struct ChannelCurveWindow::Plot {
    QCustomPlot* plot = nullptr;
};

ChannelCurveWindow::ChannelCurveWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), plot_(std::make_unique<Plot>()) {
    auto* layout = new QVBoxLayout(this);
    QCustomPlot* plot = plot_->plot = new QCustomPlot(this);
    plot->setMinimumSize(420, 300);
    plot->xAxis->setLabel(Q(AxisTitle(kWavelengthAxisCode)));
    plot->yAxis->setLabel(kBackscatteringTitle);
    // the legend goes below the plot, where it hides no point
    plot->axisRect()->insetLayout()->take(plot->legend);
    plot->axisRect()->insetLayout()->simplify();
    auto* below = new QCPLayoutGrid;
    plot->plotLayout()->addElement(1, 0, below);
    plot->plotLayout()->setRowStretchFactor(1, 0.001);
    below->setMargins(QMargins(5, 0, 5, 5));
    below->addElement(0, 0, plot->legend);
    plot->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    plot->legend->setWrap(3);
    plot->legend->setBorderPen(Qt::NoPen);
    layout->addWidget(plot, 1);

    auto* buttons = new QHBoxLayout;
    captureButton_ = new QPushButton("Capture", this);
    auto* clear = new QPushButton("Clear Captures", this);
    auto* scale = new QPushButton("Scale...", this);
    connect(captureButton_, &QPushButton::clicked, this, &ChannelCurveWindow::Capture);
    connect(clear, &QPushButton::clicked, this, &ChannelCurveWindow::ClearCaptures);
    connect(scale, &QPushButton::clicked, this, &ChannelCurveWindow::ChooseScale);
    buttons->addWidget(captureButton_);
    buttons->addWidget(clear);
    buttons->addStretch();
    buttons->addWidget(scale);
    layout->addLayout(buttons);
    resize(560, 420);
    Draw();
}

ChannelCurveWindow::~ChannelCurveWindow() = default;

void ChannelCurveWindow::Show(const ChannelCurve& curve) {
    current_ = curve;
    Draw();
}

void ChannelCurveWindow::Capture() {
    if (current_.values.empty()) return;
    captured_.push_back(current_);
    Draw();
}

void ChannelCurveWindow::ClearCaptures() {
    captured_.clear();
    Draw();
}

void ChannelCurveWindow::SetScale(const CurveScale& scale) {
    scale_ = scale;
    Draw();
}

void ChannelCurveWindow::ChooseScale() {
    CurveScaleDialog dialog(scale_, this);
    if (dialog.exec() == QDialog::Accepted) SetScale(dialog.Scale());
}

void ChannelCurveWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit Hidden();
}

void ChannelCurveWindow::Draw() {
    QCustomPlot* plot = plot_->plot;
    plot->clearGraphs();
    std::vector<const ChannelCurve*> all;
    auto add = [&](const ChannelCurve& s, const QColor& colour, const QString& name) {
        QCPGraph* graph = plot->addGraph();
        graph->setData(QVector<double>(s.wavelengths.begin(), s.wavelengths.end()),
                       QVector<double>(s.values.begin(), s.values.end()), true);
        graph->setPen(QPen(colour, 1.5));
        graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, colour, colour, 6));
        graph->setName(name);
        all.push_back(&s);
    };
    for (size_t i = 0; i < captured_.size(); ++i)
        add(captured_[i], kCaptureColours[i % std::size(kCaptureColours)],
            Q(CurveLabel(captured_[i].time)));
    if (!current_.values.empty())
        add(current_, Qt::black, Q(CurveLabel(current_.time)) + " (current)");
    const AxisRange x = WavelengthRange(all), y = ValueRange(all, scale_);
    plot->xAxis->setRange(x.lower, x.upper);
    plot->yAxis->setRange(y.lower, y.upper);
    plot->legend->setVisible(!all.empty());
    captureButton_->setEnabled(!current_.values.empty());
    plot->replot();
}

CurveScaleDialog::CurveScaleDialog(const CurveScale& scale, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Scale");
    auto* layout = new QFormLayout(this);
    automatic_ = new QCheckBox("Automatic", this);
    automatic_->setChecked(scale.automatic);
    layout->addRow(automatic_);
    for (QDoubleSpinBox** box : {&min_, &max_}) {
        *box = new QDoubleSpinBox(this);
        (*box)->setDecimals(6);
        (*box)->setRange(-1000, 1000);
        (*box)->setSingleStep(0.001);
    }
    min_->setValue(scale.min);
    max_->setValue(scale.max);
    layout->addRow("Minimum", min_);
    layout->addRow("Maximum", max_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(automatic_, &QCheckBox::toggled, this, &CurveScaleDialog::Check);
    for (QDoubleSpinBox* box : {min_, max_})
        connect(box, &QDoubleSpinBox::valueChanged, this, &CurveScaleDialog::Check);
    layout->addRow(buttons);
    Check();
}

CurveScale CurveScaleDialog::Scale() const {
    return {automatic_->isChecked(), min_->value(), max_->value()};
}

void CurveScaleDialog::Check() {
    const bool fixed = !automatic_->isChecked();
    min_->setEnabled(fixed);
    max_->setEnabled(fixed);
    ok_->setEnabled(!fixed || max_->value() > min_->value());
}

}  // namespace tidewell
