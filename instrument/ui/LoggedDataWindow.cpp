#include "instrument/ui/LoggedDataWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "files/FilePaths.h"
#include "instrument/ProgramState.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "stream/Models.h"

namespace tidewell::ui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

LoggedDataWindow::LoggedDataWindow(ProgramState& program, Waiter& waiter,
                                   RecordingContext& recording, int slot, QWidget* parent)
    : QDialog(parent), program_(program), ctx_(program, waiter, recording), slot_(slot) {
    ctx_.view = this;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    heading_ = new QLabel(this);
    heading_->setFont(fixed);
    list_ = new QListWidget(this);
    list_->setFont(fixed);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setMinimumSize(460, 200);
    memory_ = new QLabel(this);
    memory_->setFont(fixed);

    base_ = new QLineEdit(Q(WithTrailingSeparator(recording.settings.saveFolder)), this);
    datCheck_ = new QCheckBox("Also write calibrated (.dat) files", this);
    datCheck_->setChecked(ReadFlag(program.store, keys::DownloadDAT));
    bar_ = new QProgressBar(this);
    bar_->setValue(0);
    progress_ = new QLabel(this);
    remaining_ = new QLabel(this);
    status_ = new QLabel(this);
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    refresh_ = new QPushButton("Refresh", this);
    transfer_ = new QPushButton("Transfer", this);
    delete_ = new QPushButton(this);
    selectAll_ = new QPushButton("Select All", this);
    cancel_ = new QPushButton("Cancel", this);
    connect(refresh_, &QPushButton::clicked, this, &LoggedDataWindow::Refresh);
    connect(transfer_, &QPushButton::clicked, this, &LoggedDataWindow::Transfer);
    connect(delete_, &QPushButton::clicked, this, &LoggedDataWindow::DeleteOrErase);
    connect(selectAll_, &QPushButton::clicked, list_, &QListWidget::selectAll);
    connect(cancel_, &QPushButton::clicked, this, &LoggedDataWindow::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(list_, 1);
    layout->addWidget(memory_);
    auto* path = new QHBoxLayout;
    path->addWidget(new QLabel("Save to:", this));
    path->addWidget(base_, 1);
    layout->addLayout(path);
    layout->addWidget(datCheck_);
    layout->addWidget(bar_);
    auto* labels = new QHBoxLayout;
    labels->addWidget(progress_, 1);
    labels->addWidget(remaining_);
    layout->addLayout(labels);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {refresh_, transfer_, delete_, selectAll_, cancel_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    layout->addWidget(status_);
}

QString LoggedDataWindow::StatusText() const {
    return status_->text();
}

void LoggedDataWindow::Refresh() {
    if (loading_ || transferring_ || deleting_) return;
    loading_ = true;
    // the window follows the instrument the data window is connected to now
    const InstrumentRecord& r = program_.Slot(slot_);
    setWindowTitle(Q(CastWindowTitle(r.modelName)));
    delete_->setText(IsTrevan(r.instrumentType) ? "Delete" : "Erase");
    const QPointer<LoggedDataWindow> alive(this);
    list_->clear();
    heading_->clear();
    memory_->clear();
    LoadCastDirectory(ctx_, slot_, directory_);
    if (!alive) return;
    loading_ = false;
    ShowDirectory();
}

void LoggedDataWindow::ShowDirectory() {
    heading_->setText(Q(directory_.heading()));
    memory_->setText(Q(directory_.memoryStatus()));
    const std::vector<bool> selected = Selection();
    list_->clear();
    for (size_t i = 0; i < directory_.entries().size(); ++i) {
        list_->addItem(Q(directory_.entries()[i].text));
        if (i < selected.size() && selected[i]) list_->item(static_cast<int>(i))->setSelected(true);
    }
}

std::vector<bool> LoggedDataWindow::Selection() const {
    std::vector<bool> selected(static_cast<size_t>(list_->count()), false);
    for (int i = 0; i < list_->count(); ++i)
        selected[static_cast<size_t>(i)] = list_->item(i)->isSelected();
    return selected;
}

void LoggedDataWindow::Transfer() {
    if (loading_) return;
    std::vector<CastEntry> casts;
    const std::vector<bool> selected = Selection();
    for (size_t i = 0; i < selected.size() && i < directory_.entries().size(); ++i) {
        if (selected[i]) casts.push_back(directory_.entries()[i]);
    }
    // while a transfer runs the button reads "Stop", and the engine stops the running one
    if (casts.empty() && !transferring_) return;
    TransferCasts(ctx_, slot_, casts, base_->text().toStdString(), datCheck_->isChecked());
}

void LoggedDataWindow::DeleteOrErase() {
    if (loading_ || transferring_ || deleting_) return;
    InstrumentRecord& r = program_.Slot(slot_);
    if (!IsTrevan(r.instrumentType)) {
        loading_ = true;
        const QPointer<LoggedDataWindow> alive(this);
        const bool erased = EraseCasts(ctx_, slot_, directory_);
        if (!alive) return;
        loading_ = false;
        if (erased) ShowDirectory();
        return;
    }
    std::vector<bool> selected = Selection();
    // while the instrument deletes, only Cancel (which gives the wait up) is offered
    deleting_ = true;
    for (QWidget* w : Controls()) w->setEnabled(w == cancel_);
    const QPointer<LoggedDataWindow> alive(this);
    const DeleteResult result = DeleteCasts(ctx_, slot_, directory_.entries(), selected);
    if (!alive) return;
    deleting_ = false;
    program_.cancelFlag = 0;
    for (QWidget* w : Controls()) w->setEnabled(true);
    // a deleted cast is unselected; the listing then shows what the instrument still holds
    for (size_t i = 0; i < selected.size() && i < static_cast<size_t>(list_->count()); ++i) {
        list_->item(static_cast<int>(i))->setSelected(selected[i]);
    }
    if (result == DeleteResult::kDeleted) Refresh();
}

void LoggedDataWindow::reject() {
    // a running download ends through the cancel flag first; the window stays until it has
    if (transferring_ || deleting_) {
        program_.cancelFlag = -1;
        return;
    }
    QDialog::reject();
}

void LoggedDataWindow::ShowStatus(const std::string& text) {
    status_->setText(Q(text));
    // the casts listed so far show at each look
    if (loading_) ShowDirectory();
}

void LoggedDataWindow::ShowProgress(int64_t value, int64_t range, const std::string& label,
                                    const std::string& remaining) {
    bar_->setRange(0, static_cast<int>(std::max<int64_t>(range, 1)));
    bar_->setValue(static_cast<int>(std::min(value, range)));
    progress_->setText(Q(label));
    remaining_->setText(Q(remaining));
}

void LoggedDataWindow::CastDone(int64_t number, const std::string&, const std::string&) {
    // the bar moves in steps while the cast comes; a complete cast shows all it brought
    for (const CastEntry& cast : directory_.entries()) {
        if (cast.Number() != number) continue;
        const int64_t received = program_.Slot(slot_).downloadLineCount;
        ShowProgress(cast.Size(), cast.Size(), DownloadLabel(number, received, cast.Size()), "");
    }
}

void LoggedDataWindow::TransferRunning(bool running) {
    transferring_ = running;
    for (QWidget* w : Controls()) w->setEnabled(!running || w == transfer_);
    transfer_->setText(running ? "Stop" : "Transfer");
}

std::vector<QWidget*> LoggedDataWindow::Controls() const {
    return {refresh_, transfer_, delete_, selectAll_, cancel_, datCheck_, base_};
}

void LoggedDataWindow::Beep() {
    QApplication::beep();
}

}  // namespace tidewell::ui
