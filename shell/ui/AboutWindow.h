#pragma once
// The About window, also shown as the splash while the program starts.

#include <QDialog>

namespace tidewell::ui {

class AboutWindow : public QDialog {
  public:
    // `instance` above 1 is shown as "Instance " + number.
    AboutWindow(int instance, bool splash, QWidget* parent = nullptr);
};

}  // namespace tidewell::ui
