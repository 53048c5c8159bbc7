#include "adapters/qt/QtScreenSaverInhibitor.h"

#include "core/platform/Log.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace kestrel {
namespace {

QDBusInterface screenSaver() {
    return QDBusInterface("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                          "org.freedesktop.ScreenSaver", QDBusConnection::sessionBus());
}

}  // namespace

void QtScreenSaverInhibitor::setIdleTimerDisabled(bool disabled) {
    if (disabled == cookie_.has_value()) return;
    if (!QDBusConnection::sessionBus().isConnected()) {
        if (disabled) Log::debug("screen saver: no session bus; the screen may blank");
        return;
    }
    QDBusInterface saver = screenSaver();
    if (disabled) {
        const QDBusReply<std::uint32_t> reply =
            saver.call("Inhibit", "Kestrel", "The camera is in use");
        if (reply.isValid())
            cookie_ = reply.value();
        else
            Log::info("screen saver: cannot keep the screen on: " +
                      reply.error().message().toStdString());
    } else {
        saver.call("UnInhibit", *cookie_);
        cookie_.reset();
    }
}

}  // namespace kestrel
