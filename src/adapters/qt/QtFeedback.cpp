#include "adapters/qt/QtFeedback.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QVariantMap>

namespace kestrel {

bool QtFeedback::vibrate() {
    if (!QDBusConnection::sessionBus().isConnected()) return false;
    QDBusInterface feedback("org.sigxcpu.Feedback", "/org/sigxcpu/Feedback", "org.sigxcpu.Feedback",
                            QDBusConnection::sessionBus());
    if (!feedback.isValid()) return false;
    const QDBusReply<unsigned> reply = feedback.call("TriggerFeedback", "org.kestrelcamera.Kestrel",
                                                     "camera-shutter", QVariantMap(), -1);
    return reply.isValid();
}

}  // namespace kestrel
