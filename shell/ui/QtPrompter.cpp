#include "shell/ui/QtPrompter.h"

#include <QApplication>
#include <QFileDialog>

#include "shell/ui/ErrorForm.h"
#include "shell/ui/SaveFileDialog.h"
#include "shell/ui/YesNoCancelForm.h"

namespace tidewell::ui {

QWidget* QtPrompter::Parent() const {
    return parent_ ? parent_.data() : QApplication::activeWindow();
}

void QtPrompter::ShowMessage(const std::string& text) {
    ErrorForm::Show(Parent(), text);
}

int QtPrompter::Ask(const std::string& text, const std::vector<std::string>& buttons) {
    return YesNoCancelForm::Ask(Parent(), text, buttons);
}

std::string QtPrompter::AskSavePath(const std::string& title, const std::string& suggestedPath,
                                    const std::string& fileTypes) {
    int fileType = 1;
    return AskSavePathAndType(title, suggestedPath, fileTypes, fileType);
}

std::string QtPrompter::AskSavePathAndType(const std::string& title,
                                           const std::string& suggestedPath,
                                           const std::string& fileTypes, int& fileType) {
    const auto dialog = MakeSaveDialog(Parent(), title, suggestedPath, fileTypes, fileType);
    if (dialog->exec() != QDialog::Accepted) return {};
    fileType = ChosenFileType(*dialog);
    return ChosenPath(*dialog);
}

}  // namespace tidewell::ui
