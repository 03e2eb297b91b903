#include "shell/ui/YesNoCancelForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ui/MessageLayout.h"

namespace tidewell::ui {

YesNoCancelForm::YesNoCancelForm(const std::string& text, const std::vector<std::string>& captions,
                                 QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(kProgramCaption);
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (int i = 0; i < 3; ++i) {
        const std::string caption = i < static_cast<int>(captions.size()) ? captions[i] : "";
        auto* button = new QPushButton(QString::fromStdString(caption), this);
        button->setVisible(!caption.empty());
        button->setAutoDefault(false);
        const int answer = 1 - i;
        connect(button, &QPushButton::clicked, this, [this, answer] {
            answer_ = answer;
            QDialog::accept();
        });
        if (!caption.empty()) escapeAnswer_ = answer;
        buttons_[i] = button;
        row->addWidget(button);
    }
    buttons_[0]->setDefault(true);
    answer_ = escapeAnswer_;
    label_ = LayOutMessage(*this, text, row);
}

QString YesNoCancelForm::Text() const {
    return label_->text();
}

void YesNoCancelForm::reject() {
    answer_ = escapeAnswer_;
    QDialog::reject();
}

int YesNoCancelForm::Ask(QWidget* parent, const std::string& text,
                         const std::vector<std::string>& captions) {
    YesNoCancelForm form(text, captions, parent);
    form.exec();
    return form.Answer();
}

}  // namespace tidewell::ui
