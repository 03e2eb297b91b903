#include "instrument/ui/SamplingForm.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "instrument/ProgramState.h"
#include "instrument/Sampling.h"
#include "stream/Models.h"
#include "stream/NumberText.h"

namespace tidewell::ui {

namespace {

QString Number(double value) {
    return QString::fromStdString(FormatSignificantLeadingZero(value, 7));
}

double Read(const QLineEdit* box) {
    return ReadDecimal(box->text().trimmed().toStdString());
}

QLineEdit* NumberBox(QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setMaximumWidth(90);
    return box;
}

constexpr const char* kModeCaptions[] = {"bb only", "fl only", "time-share"};

}  // namespace

SamplingForm::SamplingForm(ProgramState& program, Waiter& waiter, int slot, QWidget* parent)
    : QDialog(parent), program_(program), waiter_(waiter), slot_(slot) {
    setWindowTitle(kSamplingDialogTitle);
    // timing and bursts on the left, the format, shutter and fluorescence on the right
    auto* outer = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    auto* layout = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(layout);
    columns->addLayout(right);
    outer->addLayout(columns);

    auto* timing = new QFormLayout;
    period_ = NumberBox(this);
    rate_ = NumberBox(this);
    delay_ = NumberBox(this);
    // a box and its unit, shown or hidden together
    auto unit = [](QLineEdit* box, const char* text) {
        auto* field = new QWidget(box->parentWidget());
        auto* row = new QHBoxLayout(field);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(box);
        row->addWidget(new QLabel(text, field));
        row->addStretch();
        return field;
    };
    timing->addRow("Sample Period:", unit(period_, "seconds"));
    timing->addRow("Sample Rate:", unit(rate_, "per second"));
    timing->addRow("Start Delay:", unit(delay_, "seconds"));
    layout->addLayout(timing);
    // leaving either box with a positive value writes its reciprocal into the other
    connect(period_, &QLineEdit::editingFinished, this, [this] {
        if (Read(period_) > 0)
            rate_->setText(QString::fromStdString(ReciprocalBoxText(Read(period_))));
    });
    connect(rate_, &QLineEdit::editingFinished, this, [this] {
        if (Read(rate_) > 0)
            period_->setText(QString::fromStdString(ReciprocalBoxText(Read(rate_))));
    });

    sleepWhenFull_ = new QCheckBox("Sleep when memory fills", this);
    powerUpStart_ = new QCheckBox("Start on power-up", this);
    layout->addWidget(sleepWhenFull_);
    layout->addWidget(powerUpStart_);

    burstFrame_ = new QGroupBox("Burst", this);
    auto* burst = new QFormLayout(burstFrame_);
    burstMode_ = new QCheckBox("Burst mode on", burstFrame_);
    burst->addRow(burstMode_);
    warmup_ = NumberBox(burstFrame_);
    burstLength_ = NumberBox(burstFrame_);
    burstInterval_ = NumberBox(burstFrame_);
    total_ = NumberBox(burstFrame_);
    warmupLabel_ = new QLabel("Burst Warmup:", burstFrame_);
    burst->addRow(warmupLabel_, unit(warmup_, "seconds"));
    burst->addRow("Burst length:", unit(burstLength_, "seconds"));
    burst->addRow("Burst interval:", unit(burstInterval_, "minutes"));
    totalLabel_ = new QLabel("Total Duration:", burstFrame_);
    burst->addRow(totalLabel_, unit(total_, "hours"));
    layout->addWidget(burstFrame_);

    formatFrame_ = new QGroupBox("Raw data format:", this);
    auto* format = new QHBoxLayout(formatFrame_);
    hex_ = new QRadioButton("Hexadecimal", formatFrame_);
    decimal_ = new QRadioButton("Decimal", formatFrame_);
    format->addWidget(hex_);
    format->addWidget(decimal_);
    right->addWidget(formatFrame_);

    shutterFrame_ = new QGroupBox("Shutter", this);
    auto* shutter = new QFormLayout(shutterFrame_);
    shutterEnabled_ = new QCheckBox("Shutter Enabled", shutterFrame_);
    shutterAutomatic_ = new QCheckBox("Open/Close Automatically", shutterFrame_);
    shutterTime_ = NumberBox(shutterFrame_);
    clockwise_ = new QRadioButton("Open clockwise", shutterFrame_);
    counterClockwise_ = new QRadioButton("Open counter-clockwise", shutterFrame_);
    shutter->addRow(shutterEnabled_);
    shutter->addRow(shutterAutomatic_);
    shutter->addRow("Operate Time:", unit(shutterTime_, "seconds"));
    shutter->addRow(clockwise_);
    shutter->addRow(counterClockwise_);
    right->addWidget(shutterFrame_);

    for (size_t i = 0; i < flFrames_.size(); ++i) {
        flFrames_[i] = new QGroupBox(this);
        auto* modes = new QHBoxLayout(flFrames_[i]);
        for (size_t m = 0; m < 3; ++m) {
            flModes_[i][m] = new QRadioButton(kModeCaptions[m], flFrames_[i]);
            modes->addWidget(flModes_[i][m]);
        }
        right->addWidget(flFrames_[i]);
    }

    nonvolatile_ = new QCheckBox("Make these settings nonvolatile", this);
    layout->addStretch();
    right->addStretch();
    outer->addWidget(nonvolatile_);
    auto* buttons = new QHBoxLayout;
    reload_ = new QPushButton("Reload", this);
    apply_ = new QPushButton("Apply", this);
    auto* close = new QPushButton("Close", this);
    reload_->setAutoDefault(false);
    apply_->setAutoDefault(false);
    close->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(reload_);
    buttons->addWidget(apply_);
    buttons->addWidget(close);
    outer->addLayout(buttons);
    connect(reload_, &QPushButton::clicked, this, [this] { Reload(); });
    connect(apply_, &QPushButton::clicked, this, [this] { Apply(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    ShowFamily();
    // the set-up is read once the dialog is up
    QTimer::singleShot(0, this, [this] { Reload(); });
}

void SamplingForm::ShowFamily() {
    InstrumentRecord& r = program_.Slot(slot_);
    const int type = r.instrumentType;
    const bool vantor = IsVantorFamily(type), single = IsSingleChannel(type);
    sleepWhenFull_->setVisible(vantor);
    powerUpStart_->setVisible(!single);
    warmupLabel_->setVisible(!single);
    warmup_->parentWidget()->setVisible(!single);
    totalLabel_->setVisible(vantor);
    total_->parentWidget()->setVisible(vantor);
    formatFrame_->setVisible(single);
    shutterFrame_->setVisible(vantor && r.HasShutter());
    nonvolatile_->setVisible(!single);
    const std::vector<int> channels = FluorescenceChannels(r.Calibration(), type);
    for (size_t i = 0; i < flFrames_.size(); ++i) {
        flFrames_[i]->setVisible(i < channels.size());
        if (i < channels.size()) {
            flFrames_[i]->setTitle(QString::number(r.Calibration().lambda(channels[i] - 1)) +
                                   "nm bb/fluorescence sharing");
        }
    }
    adjustSize();
}

void SamplingForm::SetBusy(bool busy) {
    busy_ = busy;
    reload_->setEnabled(!busy);
    apply_->setEnabled(!busy);
}

bool SamplingForm::Reload() {
    if (busy_) return false;
    SetBusy(true);
    setWindowTitle(QString(kSamplingDialogTitle) + kSampleParamsLoadingStatus);
    ShowFamily();
    const bool loaded = LoadSampleParams(program_, waiter_, slot_);
    if (loaded) {
        ShowFamily();  // the instrument may have been connected for the request
        Fill(program_.Slot(slot_).sampling);
        setWindowTitle(kSamplingDialogTitle);
    }
    SetBusy(false);
    return loaded;
}

bool SamplingForm::Apply() {
    if (busy_) return false;
    SamplingParameters edited = Edited();
    SetBusy(true);
    setWindowTitle(QString(kSamplingDialogTitle) + kSampleParamsLoadingStatus);
    const ApplyResult result =
        ApplySampleParams(program_, waiter_, slot_, edited, nonvolatile_->isChecked());
    // the period the rules settled on shows even when the set-up did not come back
    period_->setText(Number(edited.period));
    rate_->setText(QString::fromStdString(ReciprocalBoxText(edited.period)));
    if (result == ApplyResult::kApplied) Fill(program_.Slot(slot_).sampling);
    if (result != ApplyResult::kNotReloaded) setWindowTitle(kSamplingDialogTitle);
    SetBusy(false);
    return result == ApplyResult::kApplied;
}

SamplingParameters SamplingForm::Edited() const {
    SamplingParameters p = program_.Slot(slot_).sampling;
    p.period = static_cast<float>(Read(period_));
    p.startDelay = RoundToInt32(Read(delay_));
    p.sleepWhenMemoryFull = sleepWhenFull_->isChecked();
    p.startOnPowerUp = powerUpStart_->isChecked();
    p.burstMode = burstMode_->isChecked();
    p.burstWarmup = RoundToInt32(Read(warmup_));
    p.burstLength = RoundToInt32(Read(burstLength_));
    p.burstInterval = static_cast<float>(Read(burstInterval_));
    p.totalDuration = static_cast<float>(Read(total_));
    p.hexadecimalFormat = hex_->isChecked();
    p.shutterEnabled = shutterEnabled_->isChecked();
    p.shutterAutomatic = shutterAutomatic_->isChecked();
    p.shutterOperateTime = static_cast<float>(Read(shutterTime_));
    p.shutterCounterClockwise = counterClockwise_->isChecked();
    for (size_t i = 0; i < flModes_.size(); ++i)
        for (int m = 0; m < 3; ++m)
            if (flModes_[i][static_cast<size_t>(m)]->isChecked()) p.fluorescenceMode[i] = m;
    return p;
}

void SamplingForm::Fill(const SamplingParameters& p) {
    period_->setText(Number(p.period));
    rate_->setText(QString::fromStdString(ReciprocalBoxText(p.period)));
    delay_->setText(Number(p.startDelay));
    sleepWhenFull_->setChecked(p.sleepWhenMemoryFull);
    powerUpStart_->setChecked(p.startOnPowerUp);
    burstMode_->setChecked(p.burstMode);
    warmup_->setText(Number(p.burstWarmup));
    burstLength_->setText(Number(p.burstLength));
    burstInterval_->setText(Number(p.burstInterval));
    total_->setText(Number(p.totalDuration));
    (p.hexadecimalFormat ? hex_ : decimal_)->setChecked(true);
    shutterEnabled_->setChecked(p.shutterEnabled);
    shutterAutomatic_->setChecked(p.shutterAutomatic);
    shutterTime_->setText(Number(p.shutterOperateTime));
    (p.shutterCounterClockwise ? counterClockwise_ : clockwise_)->setChecked(true);
    for (size_t i = 0; i < flModes_.size(); ++i) {
        const int m = p.fluorescenceMode[i];
        if (m >= 0 && m < 3) flModes_[i][static_cast<size_t>(m)]->setChecked(true);
    }
}

}  // namespace tidewell::ui
