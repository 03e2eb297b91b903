#include "shell/ui/QtPrompter.h"

#include <QFileDialog>

#include "shell/ui/ErrorForm.h"
#include "shell/ui/SaveFileDialog.h"
#include "shell/ui/YesNoCancelForm.h"

namespace tidewell::ui {

void QtPrompter::ShowMessage(const std::string& text) {
    ErrorForm::Show(parent_, text);
}

int QtPrompter::Ask(const std::string& text, const std::vector<std::string>& buttons) {
    return YesNoCancelForm::Ask(parent_, text, buttons);
}

std::string QtPrompter::AskSavePath(const std::string& title, const std::string& suggestedPath,
                                    const std::string& fileTypes) {
    int fileType = 1;
    return AskSavePathAndType(title, suggestedPath, fileTypes, fileType);
}

std::string QtPrompter::AskSavePathAndType(const std::string& title,
                                           const std::string& suggestedPath,
                                           const std::string& fileTypes, int& fileType) {
    const auto dialog = MakeSaveDialog(parent_, title, suggestedPath, fileTypes, fileType);
    if (dialog->exec() != QDialog::Accepted) return {};
    fileType = ChosenFileType(*dialog);
    return ChosenPath(*dialog);
}

}  // namespace tidewell::ui
