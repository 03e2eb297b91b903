#include "instrument/ui/ConnectForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "instrument/Connection.h"
#include "instrument/ui/CalReminderForm.h"
#include "settings/SettingsKeys.h"
#include "stream/NumberText.h"

namespace tidewell::ui {

ConnectForm::ConnectForm(ConnectionContext& ctx, int slot, QWidget* parent)
    : QDialog(parent), ctx_(ctx), slot_(slot), next_(ctx.observer ? ctx.observer : &quiet_) {
    ctx_.observer = this;
    setWindowTitle("Connect To Instrument");
    const SettingsStore& store = ctx.program.store;

    const std::string storedPort = store.Read(keys::Port);
    port_ = new QComboBox(this);
    port_->setObjectName("Port");
    port_->setEditable(true);
    port_->setMinimumContentsLength(18);
    port_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (const std::string& p : SerialPortList()) port_->addItem(QString::fromStdString(p));
    if (!storedPort.empty()) port_->setEditText(QString::fromStdString(storedPort));

    baud_ = new QComboBox(this);
    baud_->setObjectName("Baud");
    for (int32_t rate : kOfferedRates) baud_->addItem(QString::number(rate));
    baud_->setCurrentText(QString::fromStdString(store.Read(keys::Baud)));

    instrument_ = new QComboBox(this);
    instrument_->setObjectName("Instrument");
    for (int code = kVantor6; code <= kTrevan2; ++code)
        instrument_->addItem(QString::fromStdString(ModelName(code)));

    loadCal_ = new QCheckBox("Load Calibration From Instrument", this);
    loadCal_->setObjectName("LoadCal");
    loadCal_->setChecked(ReadFlag(store, keys::LoadCal));
    noIdentify_ = new QCheckBox("Open port without identifying instrument", this);
    noIdentify_->setObjectName("NoIdentify");

    connect_ = new QPushButton("Connect", this);
    connect_->setToolTip("Connect using settings above");
    search_ = new QPushButton(kSearchCaption, this);
    search_->setToolTip("Automatically detect instrument and connect");
    disconnect_ = new QPushButton("Disconnect", this);
    close_ = new QPushButton("Close", this);
    for (QPushButton* b : {connect_, search_, disconnect_, close_}) {
        b->setObjectName(b->text());
        b->setAutoDefault(false);
    }
    connect_->setDefault(true);
    connect(connect_, &QPushButton::clicked, this, &ConnectForm::Connect);
    connect(search_, &QPushButton::clicked, this, &ConnectForm::Search);
    connect(disconnect_, &QPushButton::clicked, this, &ConnectForm::DisconnectInstrument);
    connect(close_, &QPushButton::clicked, this, &ConnectForm::reject);
    connect(noIdentify_, &QCheckBox::toggled, this, &ConnectForm::UpdateControls);

    status_ = new QLabel(this);
    status_->setObjectName("Status");
    status_->setFrameShape(QFrame::StyledPanel);
    status_->setMinimumWidth(status_->fontMetrics().averageCharWidth() * 40);

    auto* boxes = new QFormLayout;
    boxes->addRow("Select Comm Port", port_);
    boxes->addRow("Select Comm Rate (BAUD)", baud_);
    boxes->addRow("Select Instrument", instrument_);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {connect_, search_, disconnect_}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(new QLabel("Status:", this));
    statusRow->addWidget(status_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addWidget(loadCal_);
    layout->addWidget(noIdentify_);
    layout->addLayout(buttons);
    layout->addLayout(statusRow);

    ShowDialogStatus(slot_, ConnectionStatusText(ctx_.program.Slot(slot_)));
    UpdateControls();
}

ConnectForm::~ConnectForm() {
    ctx_.observer = next_ == &quiet_ ? nullptr : next_;
}

QString ConnectForm::StatusText() const {
    return status_->text();
}

void ConnectForm::UpdateControls() {
    const InstrumentRecord& r = ctx_.program.Slot(slot_);
    const bool boxes = !busy_ && !locked_;
    port_->setEnabled(boxes);
    baud_->setEnabled(boxes);
    instrument_->setEnabled(boxes && noIdentify_->isChecked());
    loadCal_->setEnabled(!busy_);
    noIdentify_->setEnabled(!busy_);
    connect_->setEnabled(!busy_);
    search_->setEnabled(!busy_);
    disconnect_->setEnabled(!busy_ && r.PortOpen());
    close_->setText(busy_ ? "Stop" : "Close");
}

bool ConnectForm::Run(const std::function<bool()>& action) {
    busy_ = true;
    ctx_.loadCalFromInstrument = loadCal_->isChecked();
    UpdateControls();
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const bool connected = action();
    QApplication::restoreOverrideCursor();
    busy_ = false;
    // an instrument without a calibration of its own clears the choice
    loadCal_->setChecked(ctx_.loadCalFromInstrument);
    const InstrumentRecord& r = ctx_.program.Slot(slot_);
    locked_ = r.identified;
    ShowDialogStatus(slot_, ConnectionStatusText(r));
    UpdateControls();
    return connected;
}

bool ConnectForm::Connect() {
    InstrumentRecord& r = ctx_.program.Slot(slot_);
    const std::string port = port_->currentText().trimmed().toStdString();
    const std::string baudText = baud_->currentText().trimmed().toStdString();
    if (port.empty() || baudText.empty()) {
        ctx_.program.prompter.ShowMessage(kSelectPortOrSearchMessage +
                                          search_->text().toStdString());
        return false;
    }
    const auto baud = static_cast<int32_t>(ReadDecimal(baudText));
    if (!loadCal_->isChecked() && !r.calibrationLoaded) {
        ctx_.program.prompter.ShowMessage(kNoCalibrationLoadedMessage);
        r.identified = false;
        r.cancelRequest = kCancelRequested;
        return false;
    }
    if (noIdentify_->isChecked()) {
        const int type = instrument_->currentIndex();
        return Run([&] { return OpenWithoutIdentifying(ctx_, slot_, port, baud, type); });
    }
    const bool connected = Run([&] { return DoConnect(ctx_, slot_, false, port, baud, {}); });
    if (connected) accept();
    return connected;
}

std::vector<std::string> ConnectForm::SearchPorts() const {
    std::vector<std::string> ports;
    for (int i = 0; i < port_->count(); ++i) ports.push_back(port_->itemText(i).toStdString());
    // a device path typed in is searched too
    const std::string typed = port_->currentText().trimmed().toStdString();
    if (!typed.empty() && std::find(ports.begin(), ports.end(), typed) == ports.end())
        ports.push_back(typed);
    return ports;
}

bool ConnectForm::Search() {
    const std::vector<std::string> ports = SearchPorts();
    const bool connected = Run([&] { return DoConnect(ctx_, slot_, true, "", 0, ports); });
    if (connected) accept();
    return connected;
}

int ConnectForm::DisconnectInstrument() {
    return Run([&] { return DisconnectCommand(ctx_, slot_) == 1; }) ? 1 : -1;
}

void ConnectForm::reject() {
    if (busy_) {
        ctx_.program.Slot(slot_).cancelRequest = kCancelRequested;
        return;
    }
    QDialog::reject();
}

void ConnectForm::done(int result) {
    SettingsStore& store = ctx_.program.store;
    store.Write(keys::Port, port_->currentText().trimmed().toStdString());
    store.Write(keys::Baud, baud_->currentText().trimmed().toStdString());
    store.Write(keys::LoadCal, CheckBoxText(loadCal_->isChecked()));
    QDialog::done(result);
}

void ConnectForm::ShowDialogStatus(int, const std::string& text) {
    status_->setText(QString::fromStdString(text));
}

void ConnectForm::ShowWindowStatus(int slot, const std::string& text) {
    next_->ShowWindowStatus(slot, text);
}

void ConnectForm::ShowPortAndRate(int, const std::string& port, int32_t baud) {
    port_->setEditText(QString::fromStdString(port));
    baud_->setCurrentText(QString::number(baud));
}

void ConnectForm::ShowInstrument(int, const std::string& model) {
    const int code = ModelCode(model);
    if (code >= 0 && code < instrument_->count()) instrument_->setCurrentIndex(code);
}

void ConnectForm::LockConnectionBoxes(int) {
    locked_ = true;
    UpdateControls();
}

void ConnectForm::EnableCalibrationMenu(int slot, bool enabled) {
    next_->EnableCalibrationMenu(slot, enabled);
}

void ConnectForm::ShowInstrumentStatus(int slot, const std::string& model,
                                       const std::string& serial, const std::string& source,
                                       const std::string& firmware) {
    next_->ShowInstrumentStatus(slot, model, serial, source, firmware);
}

void ConnectForm::RefreshWindow(int slot) {
    next_->RefreshWindow(slot);
}

void ConnectForm::RebuildInstrumentMenu(int slot) {
    next_->RebuildInstrumentMenu(slot);
}

void ConnectForm::Beep() {
    QApplication::beep();
}

bool ConnectForm::SelectCalibration(int slot) {
    return next_->SelectCalibration(slot);
}

int ConnectForm::CalReminderForm(int, const std::string& text, Prompter&) {
    return ui::CalReminderForm::Ask(this, text);
}

}  // namespace tidewell::ui
