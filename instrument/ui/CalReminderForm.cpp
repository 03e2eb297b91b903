#include "instrument/ui/CalReminderForm.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "instrument/Connection.h"
#include "shell/ui/MessageLayout.h"

namespace tidewell::ui {

CalReminderForm::CalReminderForm(const std::string& text, QWidget* parent) : QDialog(parent) {
    setWindowTitle(kCalDueCaption);
    next_ = new QComboBox(this);
    next_->setObjectName("NextReminder");
    for (auto [caption, days] :
         {std::pair{"1 Day", 1}, {"1 Week", 7}, {"1 Month", 30}, {"3 Months", 90}})
        next_->addItem(caption, days);
    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Next Reminder", this));
    row->addWidget(next_);
    row->addStretch();
    row->addWidget(ok);
    LayOutMessage(*this, text, row);
}

int CalReminderForm::NextReminderDays() const {
    return next_->currentData().toInt();
}

int CalReminderForm::Ask(QWidget* parent, const std::string& text) {
    CalReminderForm form(text, parent);
    form.exec();
    return form.NextReminderDays();
}

}  // namespace tidewell::ui
