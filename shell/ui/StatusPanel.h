#pragma once
// A sunken text panel of a window's status bar, named by its tip; the wide ones (the link
// status) take the spare width.

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

namespace tidewell::ui {

inline QLabel* AddStatusPanel(QMainWindow& window, const char* name, int width) {
    auto* label = new QLabel(&window);
    label->setToolTip(name);
    label->setMinimumWidth(width);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    window.statusBar()->addWidget(label, width >= 140 ? 1 : 0);
    return label;
}

}  // namespace tidewell::ui
