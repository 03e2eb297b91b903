#include "shell/ui/ErrorForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "shell/ui/MessageLayout.h"

namespace tidewell::ui {

ErrorForm::ErrorForm(const std::string& text, QWidget* parent) : QDialog(parent) {
    setWindowTitle(kProgramCaption);
    ok_ = new QPushButton("OK", this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok_);
    label_ = LayOutMessage(*this, text, row);
}

QString ErrorForm::Text() const {
    return label_->text();
}

void ErrorForm::Show(QWidget* parent, const std::string& text) {
    ErrorForm form(text, parent);
    form.exec();
}

}  // namespace tidewell::ui
