#include "gui/ApplicationService.h"

#include "core/platform/Log.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

#include <limits>

namespace kestrel::gui {
namespace {

QVariantList variantList(const QVariant& argument) {
    QVariantList list;
    if (argument.canConvert<QDBusArgument>()) {
        const QDBusArgument array = argument.value<QDBusArgument>();
        array.beginArray();
        while (!array.atEnd()) {
            QDBusVariant item;
            array >> item;
            list << item.variant();
        }
        array.endArray();
    } else if (argument.metaType() == QMetaType::fromType<QVariantList>()) {
        list = argument.toList();
    }
    return list;
}

// A mode number given as any integer type of D-Bus (or its digits as text).
std::optional<int> modeNumber(const QVariant& given) {
    QVariant value = given;
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    switch (value.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UChar:
        case QMetaType::QString: {
            bool ok = false;
            const qlonglong number = value.toLongLong(&ok);
            if (ok && number >= std::numeric_limits<int>::min() &&
                number <= std::numeric_limits<int>::max())
                return static_cast<int>(number);
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

ApplicationService::~ApplicationService() {
    if (!bus_) return;
    bus_->unregisterObject(kPath);
    bus_->unregisterService(kName);
}

ApplicationService::Claim ApplicationService::claim(QDBusConnection bus) {
    if (!bus.isConnected()) {
        Log::info("no session bus (" + bus.lastError().message().toStdString() +
                     "): Kestrel takes no actions from the desktop");
        return Claim::kNoBus;
    }
    if (!bus.registerVirtualObject(kPath, this)) {
        Log::warning("cannot offer " + std::string(kPath) + " on the session bus");
        return Claim::kNoBus;
    }
    if (!bus.registerService(kName)) {
        bus.unregisterObject(kPath);
        if (bus.interface()->isServiceRegistered(kName)) return Claim::kRunning;
        Log::warning("cannot take the name " + std::string(kName) + " on the session bus: " +
                     bus.lastError().message().toStdString());
        return Claim::kNoBus;
    }
    bus_ = bus;
    return Claim::kOwned;
}

bool ApplicationService::activateRunning(QDBusConnection bus) {
    QDBusMessage call = QDBusMessage::createMethodCall(kName, kPath, kInterface, "Activate");
    call << QVariantMap{};
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ReplyMessage) return true;
    Log::warning("the running Kestrel did not answer: " + reply.errorMessage().toStdString());
    return false;
}

QString ApplicationService::introspect(const QString& path) const {
    if (path != kPath) return {};
    return QStringLiteral(
        "<interface name=\"org.freedesktop.Application\">"
        "<method name=\"Activate\"><arg type=\"a{sv}\" name=\"platform_data\" direction=\"in\"/></method>"
        "<method name=\"Open\"><arg type=\"as\" name=\"uris\" direction=\"in\"/>"
        "<arg type=\"a{sv}\" name=\"platform_data\" direction=\"in\"/></method>"
        "<method name=\"ActivateAction\"><arg type=\"s\" name=\"action_name\" direction=\"in\"/>"
        "<arg type=\"av\" name=\"parameter\" direction=\"in\"/>"
        "<arg type=\"a{sv}\" name=\"platform_data\" direction=\"in\"/></method>"
        "</interface>");
}

bool ApplicationService::handleMessage(const QDBusMessage& message,
                                       const QDBusConnection& connection) {
    if (message.path() != kPath || message.interface() != kInterface) return false;
    QDBusMessage reply;
    const QString member = message.member();
    if (member == "Activate" || member == "Open") {
        if (member == "Open") Log::info("asked to open files: Kestrel opens none, it comes forward");
        if (activate_) activate_();
        reply = message.createReply();
    } else if (member == "ActivateAction") {
        reply = activateAction(message);
    } else {
        return false;
    }
    if (!message.isReplyRequired() && reply.type() == QDBusMessage::ReplyMessage) return true;
    connection.send(reply);
    return true;
}

QDBusMessage ApplicationService::activateAction(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() != 3 || arguments[0].metaType() != QMetaType::fromType<QString>())
        return message.createErrorReply(QDBusError::InvalidArgs,
                                        "ActivateAction takes (s action, av parameter, a{sv})");
    const QString name = arguments[0].toString();
    const QVariantList parameter = variantList(arguments[1]);
    const std::string action = name.toStdString();
    Log::info("action " + action + " from the session bus");
    if (!actions_) return message.createErrorReply(kNotDone, "Kestrel is still starting");

    AppActions::Outcome outcome;
    if (action == "take-picture" || action == "cancel" || action == "album") {
        if (!parameter.isEmpty())
            return message.createErrorReply(QDBusError::InvalidArgs,
                                            name + " takes no parameter");
        outcome = action == "take-picture" ? actions_->takePicture()
                  : action == "cancel"     ? actions_->cancel()
                                           : actions_->album();
    } else if (action == "set-mode") {
        const std::optional<int> mode =
            parameter.size() == 1 ? modeNumber(parameter[0]) : std::nullopt;
        if (!mode)
            return message.createErrorReply(QDBusError::InvalidArgs,
                                            "set-mode takes one parameter: the mode number");
        outcome = actions_->setMode(*mode);
        if (!outcome && outcome.why.rfind("no shooting mode", 0) == 0)
            return message.createErrorReply(QDBusError::InvalidArgs,
                                            QString::fromStdString(outcome.why));
    } else {
        return message.createErrorReply(
            QDBusError::InvalidArgs,
            "no action \"" + name + "\" (take-picture, cancel, set-mode, album)");
    }
    if (!outcome) return message.createErrorReply(kNotDone, QString::fromStdString(outcome.why));
    return message.createReply();
}

}  // namespace kestrel::gui
