#pragma once
// The one application object of the test program, for tests that need Qt's event loop or
// socket notifiers (the serial port). Made on first use, unless the test program made its own
// (the window tests need a QApplication).

#include <QCoreApplication>

namespace tidewell::test {

inline QCoreApplication& TestApplication() {
    if (QCoreApplication* own = QCoreApplication::instance()) return *own;
    static int argc = 1;
    static char name[] = "test_instrument";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

}  // namespace tidewell::test
