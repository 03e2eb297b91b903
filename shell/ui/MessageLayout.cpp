#include "shell/ui/MessageLayout.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace tidewell::ui {

QLabel* LayOutMessage(QDialog& dialog, const std::string& text, QLayout* buttons) {
    auto* label = new QLabel(QString::fromStdString(text), &dialog);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // about 60 characters a line, so that long messages wrap and short ones do not leave a
    // narrow column; wider when a word (a file path) is longer, as far as the screen allows
    const QFontMetrics metrics(label->font());
    int width = metrics.averageCharWidth() * 60;
    for (const QString& word : label->text().split(QRegularExpression("\\s+")))
        width = std::max(width, metrics.horizontalAdvance(word) + metrics.averageCharWidth());
    if (const QScreen* screen = dialog.screen())
        width = std::min(width, screen->availableGeometry().width() * 4 / 5);
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
