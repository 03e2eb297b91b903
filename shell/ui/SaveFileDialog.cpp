#include "shell/ui/SaveFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace tidewell::ui {

namespace {

// "*.raw;*.dat" -> {"*.raw", "*.dat"}
QStringList Patterns(const QString& patterns) {
    return patterns.split(';', Qt::SkipEmptyParts);
}

// The patterns of a name filter: what is inside its last brackets.
QStringList FilterPatterns(const QString& filter) {
    const qsizetype open = filter.lastIndexOf('(');
    if (open < 0 || !filter.endsWith(')')) return {};
    return filter.mid(open + 1).chopped(1).split(' ', Qt::SkipEmptyParts);
}

}  // namespace

QStringList SaveNameFilters(const std::string& fileTypes) {
    const QStringList parts = QString::fromStdString(fileTypes).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + Patterns(parts[i + 1]).join(' ') + ")";
    return filters;
}

std::unique_ptr<QFileDialog> MakeSaveDialog(QWidget* parent, const std::string& title,
                                            const std::string& suggestedPath,
                                            const std::string& fileTypes, int fileType) {
    auto dialog = std::make_unique<QFileDialog>(parent, QString::fromStdString(title));
    // the same dialog on every desktop and offscreen, with the type labels exactly as given
    dialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite |
                       QFileDialog::HideNameFilterDetails);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    const QStringList filters = SaveNameFilters(fileTypes);
    dialog->setNameFilters(filters);
    if (fileType >= 1 && fileType <= filters.size())
        dialog->selectNameFilter(filters[fileType - 1]);
    const QString suggested = QDir::fromNativeSeparators(QString::fromStdString(suggestedPath));
    if (suggested.endsWith('/')) {
        dialog->setDirectory(suggested);
    } else if (!suggested.isEmpty()) {
        const QFileInfo info(suggested);
        dialog->setDirectory(info.absolutePath());
        dialog->selectFile(info.fileName());
    }
    return dialog;
}

int ChosenFileType(const QFileDialog& dialog) {
    // the dialog names the chosen filter as it shows it, without the added brackets
    const QString chosen = dialog.selectedNameFilter();
    const QStringList filters = dialog.nameFilters();
    for (qsizetype i = 0; i < filters.size(); ++i)
        if (filters[i] == chosen || filters[i].startsWith(chosen + " (")) return int(i) + 1;
    return 1;
}

std::string ChosenPath(const QFileDialog& dialog) {
    if (dialog.selectedFiles().isEmpty()) return {};
    QString path = dialog.selectedFiles().front();
    // a name typed without an extension takes the chosen type's first one
    const QStringList patterns =
        FilterPatterns(dialog.nameFilters().value(ChosenFileType(dialog) - 1));
    if (QFileInfo(path).suffix().isEmpty() && !patterns.isEmpty() &&
        patterns.front().startsWith("*.") && !patterns.front().mid(2).contains('*'))
        path += patterns.front().mid(1);
    return QDir::toNativeSeparators(path).toStdString();
}

}  // namespace tidewell::ui
