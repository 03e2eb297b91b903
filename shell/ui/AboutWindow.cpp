#include "shell/ui/AboutWindow.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "settings/SettingsKeys.h"

namespace tidewell::ui {

AboutWindow::AboutWindow(int instance, bool splash, QWidget* parent)
    : QDialog(parent, splash ? Qt::SplashScreen : Qt::Dialog) {
    setWindowTitle("About Tidewell");
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel("<h2>Tidewell</h2>", this);
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);
    auto* text = new QLabel(QString("Version %1<br>Host program for oceanographic optical "
                                    "instruments")
                                .arg(kVersionText),
                            this);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    if (instance > 1) {
        auto* label = new QLabel(QString("Instance %1").arg(instance), this);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    if (!splash) {
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        layout->addWidget(buttons);
    }
    setMinimumWidth(360);
}

}  // namespace tidewell::ui
