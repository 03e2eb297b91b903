#pragma once
// The save dialog: the title, a starting path and a file-type list given as label and pattern
// pairs separated by "|" ("Calibration File (*.cal)|*.cal"). The labels are shown as they
// stand; the patterns, separated by ";", decide which files are listed.

#include <QStringList>
#include <memory>
#include <string>

class QFileDialog;
class QWidget;

namespace tidewell::ui {

// The dialog's name filters: each label followed by its patterns in brackets, the form the
// file dialog reads patterns from; the dialog hides the added brackets.
QStringList SaveNameFilters(const std::string& fileTypes);

// A save dialog showing entry `fileType` (1-based) of `fileTypes` and starting at
// `suggestedPath` (a folder when it ends in a separator, else a file). It never asks about
// replacing files itself: its callers ask that question in their own words.
std::unique_ptr<QFileDialog> MakeSaveDialog(QWidget* parent, const std::string& title,
                                            const std::string& suggestedPath,
                                            const std::string& fileTypes, int fileType);

// The 1-based entry chosen in a dialog made by MakeSaveDialog, and the path chosen: a name
// typed without an extension gets the chosen entry's first one.
int ChosenFileType(const QFileDialog& dialog);
std::string ChosenPath(const QFileDialog& dialog);

}  // namespace tidewell::ui
