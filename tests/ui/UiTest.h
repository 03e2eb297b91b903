#pragma once
// What the window tests share: the application object, acting on a modal dialog once it is up
// (the code under test is then inside the dialog's exec()), and screenshots.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace tidewell::test {

inline QApplication& UiApplication() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    // never destroyed: taken down after main returns, it would outlive the window system's
    // own objects
    static auto* app = new QApplication(argc, argv);
    return *app;
}

// Runs `act` on the modal dialog of type T as soon as it is shown (polling, for at most 30 s: a
// file dialog on a busy machine can take seconds). Giving up closes whatever modal window is
// up, so that a failing test ends instead of waiting for a click.
template <class T>
void WhenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer(&UiApplication());
    auto passes = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, passes, act] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            act(dialog);
        } else if (++*passes > 3000) {
            timer->deleteLater();
            timer->stop();
            ADD_FAILURE() << "no " << T::staticMetaObject.className() << " came up";
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        }
    });
    timer->start(10);
}

// The child widget of that type and object name; a failure when there is none.
template <class T>
T* Child(QWidget& form, const char* name) {
    T* child = form.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Writes the widget as build/screenshots/<name>.png.
inline void SaveScreenshot(QWidget& widget, const QString& name) {
    const QString folder = QString(TIDEWELL_BIN_DIR) + "/../screenshots";
    QDir().mkpath(folder);
    EXPECT_TRUE(widget.grab().save(folder + "/" + name + ".png")) << name.toStdString();
}

}  // namespace tidewell::test
