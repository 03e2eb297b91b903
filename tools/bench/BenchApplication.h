#pragma once
// The one application object of the benchmarks that draw: offscreen unless told otherwise.

#include <QApplication>

namespace tidewell {

inline QApplication& BenchApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tidewell-bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

}  // namespace tidewell
