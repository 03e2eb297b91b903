#include "shell/ui/InstrumentStatusWindow.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

#include "shell/InstrumentStatus.h"
#include "stream/DateValue.h"

namespace tidewell::ui {

namespace {

std::string ShortDate(double date) {
    const CalendarTime t = ToCalendar(date);
    return QLocale::system()
        .toString(QDate(t.year, t.month, t.day), QLocale::ShortFormat)
        .toStdString();
}

}  // namespace

InstrumentStatusWindow::InstrumentStatusWindow(std::function<const InstrumentRecord&()> record,
                                               QWidget* parent)
    : QDialog(parent), record_(std::move(record)) {
    setWindowTitle("Instrument Status");
    auto* layout = new QVBoxLayout(this);
    form_ = new QFormLayout;
    layout->addLayout(form_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(320);
    Fill();
}

void InstrumentStatusWindow::Fill() {
    const auto fields = InstrumentStatusFields(record_(), ShortDate);
    while (form_->rowCount() > 0) form_->removeRow(0);
    for (const auto& [label, text] : fields) {
        auto* box = new QLineEdit(QString::fromStdString(text), this);
        box->setReadOnly(true);
        form_->addRow(QString::fromStdString(label) + ":", box);
    }
}

bool InstrumentStatusWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Fill();
    return QDialog::event(e);
}

}  // namespace tidewell::ui
