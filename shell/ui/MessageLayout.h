#pragma once
// What the message window and the three-button question share: the caption and the layout of
// a wrapped text above a row of buttons.

#include <QString>
#include <string>

class QDialog;
class QLabel;
class QLayout;

namespace tidewell::ui {

inline const QString kProgramCaption = QStringLiteral("Tidewell");

// Puts `text` (plain, selectable, wrapped to a readable width) above `buttons` in `dialog` and
// returns the label.
QLabel* LayOutMessage(QDialog& dialog, const std::string& text, QLayout* buttons);

}  // namespace tidewell::ui
