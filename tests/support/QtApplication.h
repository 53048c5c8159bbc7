#pragma once

#include <QApplication>
#include <QInputDevice>
#include <QPointingDevice>

#include <cstdlib>

namespace kestrel::test {

// The one Qt application of the test program, on Qt's offscreen platform.
inline QApplication& qtApplication() {
    static int argc = 1;
    static char name[] = "kestrel_tests";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Synthetic mouse and key events need Qt's primary devices. Made before the
    // application, Qt's list of devices outlives it at exit; made after, the list
    // is gone by the time the application deletes its devices, and exit crashes.
    static const bool devicesFirst = QPointingDevice::primaryPointingDevice() != nullptr &&
                                     QInputDevice::primaryKeyboard() != nullptr;
    (void)devicesFirst;
    static QApplication app(argc, argv);
    return app;
}

}  // namespace kestrel::test
