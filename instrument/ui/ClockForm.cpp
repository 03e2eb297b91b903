#include "instrument/ui/ClockForm.h"

#include <QDateEdit>
#include <QDateTime>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "instrument/InstrumentClock.h"
#include "instrument/OperationWaits.h"
#include "instrument/ProgramState.h"
#include "stream/DateValue.h"

namespace tidewell::ui {

namespace {

constexpr int kShowMilliseconds = 250;

QDateTime ToQDateTime(double date) {
    const CalendarTime t = ToCalendar(date);
    return {QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second)};
}

double ToDateValue(const QDate& date, const QTime& time) {
    return DateTimeValue(
        {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()});
}

}  // namespace

ClockForm::ClockForm(ProgramState& program, Waiter& waiter, int slot, QWidget* parent)
    : QDialog(parent), program_(program), waiter_(waiter), slot_(slot) {
    setWindowTitle(kSetTimeDialogTitle);
    auto* layout = new QVBoxLayout(this);

    auto* instrument = new QGroupBox("Instrument Time", this);
    auto* shown = new QHBoxLayout(instrument);
    time_ = new QLineEdit(instrument);
    date_ = new QLineEdit(instrument);
    for (QLineEdit* box : {time_, date_}) {
        box->setReadOnly(true);
        shown->addWidget(box);
    }
    layout->addWidget(instrument);

    auto* toSet = new QGroupBox("Time to Set", this);
    auto* choices = new QFormLayout(toSet);
    toComputer_ = new QRadioButton("Set to Computer", toSet);
    manually_ = new QRadioButton("Set Manually", toSet);
    toComputer_->setChecked(true);
    datePicker_ = new QDateEdit(toSet);
    datePicker_->setCalendarPopup(true);
    timePicker_ = new QTimeEdit(toSet);
    timePicker_->setDisplayFormat("HH:mm:ss");
    auto* pickers = new QHBoxLayout;
    pickers->addWidget(datePicker_);
    pickers->addWidget(timePicker_);
    choices->addRow(toComputer_);
    choices->addRow(manually_);
    choices->addRow(pickers);
    layout->addWidget(toSet);
    connect(manually_, &QRadioButton::toggled, this, [this](bool manual) {
        datePicker_->setEnabled(manual);
        timePicker_->setEnabled(manual);
    });
    datePicker_->setEnabled(false);
    timePicker_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    set_ = new QPushButton("Set Time", this);
    auto* close = new QPushButton("Close", this);
    set_->setAutoDefault(false);
    close->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(set_);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(set_, &QPushButton::clicked, this, [this] { SetTime(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    // an offset read earlier (perhaps of another instrument) does not stand for this reading
    program_.Slot(slot_).timeReceived = false;
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &ClockForm::ShowTimes);
    timer_->start(kShowMilliseconds);
    ShowTimes();
    // the clock is read once the dialog is up
    QTimer::singleShot(0, this, [this] { ReadClock(); });
}

void ClockForm::ShowTimes() {
    const InstrumentRecord& r = program_.Slot(slot_);
    const double now = program_.Now();
    if (r.timeReceived) {
        const QDateTime instrument = ToQDateTime(now + r.clockOffset);
        time_->setText(instrument.toString("HH:mm:ss"));
        date_->setText(QLocale::system().toString(instrument.date(), QLocale::ShortFormat));
    } else {
        time_->setText(kClockLoadingText);
        date_->setText(kClockLoadingText);
    }
    if (toComputer_->isChecked()) {
        const QDateTime computer = ToQDateTime(now);
        datePicker_->setDate(computer.date());
        timePicker_->setTime(computer.time());
    }
}

bool ClockForm::ReadClock() {
    if (busy_) return false;
    busy_ = true;
    set_->setEnabled(false);
    const bool read = ReadInstrumentClock(program_, waiter_, slot_);
    ShowTimes();
    set_->setEnabled(true);
    busy_ = false;
    return read;
}

bool ClockForm::SetTime() {
    if (busy_) return false;
    const double date = toComputer_->isChecked()
                            ? program_.Now()
                            : ToDateValue(datePicker_->date(), timePicker_->time());
    InstrumentRecord& r = program_.Slot(slot_);
    if (!SetInstrumentClock(program_, slot_, date)) return false;
    ShowTimes();
    busy_ = true;
    WaitOutputSent(waiter_, r, LinkLost(r));
    busy_ = false;
    return ReadClock();
}

QString ClockForm::InstrumentTimeText() const {
    return time_->text();
}

QString ClockForm::InstrumentDateText() const {
    return date_->text();
}

}  // namespace tidewell::ui
