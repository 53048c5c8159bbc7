#pragma once

#include <QApplication>

#include <cstdlib>

namespace kestrel::test {

// The one Qt application of the test program, on Qt's offscreen platform.
inline QApplication& qtApplication() {
    static int argc = 1;
    static char name[] = "kestrel_tests";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication app(argc, argv);
    return app;
}

}  // namespace kestrel::test
