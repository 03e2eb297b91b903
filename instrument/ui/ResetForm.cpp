#include "instrument/ui/ResetForm.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "instrument/Connection.h"
#include "instrument/ProgramState.h"
#include "settings/SettingsKeys.h"
#include "stream/NumberText.h"

namespace tidewell::ui {

namespace {

constexpr int kProgressSteps = 1000;

// The progress window of a reset: its caption, the seconds remaining, and "Stop".
class ResetProgress : public ResetView {
  public:
    explicit ResetProgress(QWidget* parent) : parent_(parent) {}
    void Open(const std::string& caption, const std::string& button) override {
        dialog_ = std::make_unique<QProgressDialog>(parent_);
        dialog_->setWindowTitle(QString::fromStdString(caption));
        dialog_->setCancelButtonText(QString::fromStdString(button));
        dialog_->setRange(0, kProgressSteps);
        dialog_->setMinimumDuration(0);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setAutoReset(false);
        dialog_->setAutoClose(false);
        dialog_->show();
    }
    void Progress(double fraction, const std::string& text) override {
        dialog_->setValue(static_cast<int>(fraction * kProgressSteps));
        dialog_->setLabelText(QString::fromStdString(text));
    }
    void Close() override { dialog_.reset(); }
    bool StopPressed() override { return dialog_ && dialog_->wasCanceled(); }

  private:
    QWidget* parent_;
    std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace

ResetForm::ResetForm(ProgramState& program, Waiter& waiter, int slot, QWidget* parent)
    : QDialog(parent), program_(program), waiter_(waiter), slot_(slot) {
    setWindowTitle(kResetDialogTitle);
    const InstrumentRecord& r = program.Slot(slot);
    auto* layout = new QVBoxLayout(this);
    auto* boxes = new QFormLayout;
    port_ = new QComboBox(this);
    port_->setEditable(true);
    port_->setMinimumContentsLength(18);
    for (const std::string& p : SerialPortList()) port_->addItem(QString::fromStdString(p));
    const bool open = r.PortOpen();
    const std::string shown = open ? r.portName : program.store.Read(keys::Port);
    if (!shown.empty()) port_->setEditText(QString::fromStdString(shown));
    port_->setEnabled(!open);
    portLabel_ = new QLabel(open ? "Open Port:" : "Port to Reset:", this);
    boxes->addRow(portLabel_, port_);
    seconds_ = new QLineEdit(QString::fromStdString(PlainDouble(kDefaultResetSeconds)), this);
    seconds_->setMaximumWidth(90);
    boxes->addRow("Reset Time (seconds):", seconds_);
    layout->addLayout(boxes);
    auto* note = new QLabel(kResetNote, this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* buttons = new QHBoxLayout;
    reset_ = new QPushButton("Reset", this);
    auto* cancel = new QPushButton("Cancel", this);
    reset_->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(reset_);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(reset_, &QPushButton::clicked, this, [this] { Reset(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

ResetResult ResetForm::Reset() {
    ResetProgress progress(this);
    reset_->setEnabled(false);
    const ResetResult result =
        ResetInstrument(program_, waiter_, slot_, port_->currentText().trimmed().toStdString(),
                        ReadDecimal(seconds_->text().trimmed().toStdString()), progress);
    reset_->setEnabled(true);
    if (result != ResetResult::kPortNotOpened) accept();
    return result;
}

}  // namespace tidewell::ui
