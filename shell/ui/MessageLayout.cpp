#include "shell/ui/MessageLayout.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QVBoxLayout>

namespace tidewell::ui {

QLabel* LayOutMessage(QDialog& dialog, const std::string& text, QLayout* buttons) {
    auto* label = new QLabel(QString::fromStdString(text), &dialog);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // about 60 characters a line: long messages wrap, short ones do not leave a narrow column
    const int width = QFontMetrics(label->font()).averageCharWidth() * 60;
    label->setFixedWidth(width);
    label->setMinimumHeight(label->heightForWidth(width));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return label;
}

}  // namespace tidewell::ui
