#include "cli/TriggerCommand.h"

#include "cli/CliError.h"
#include "core/platform/Log.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <atomic>
#include <cstdlib>
#include <memory>

namespace kestrel::cli {
namespace {

constexpr const char* kName = "org.kestrelcamera.Kestrel";
constexpr const char* kPath = "/org/kestrelcamera/Kestrel";
constexpr const char* kInterface = "org.freedesktop.Application";
constexpr int kTimeoutMs = 5000;

// One private connection to the session bus for the command, closed after it:
// the address as the environment says now (else the desktop's default).
class SessionBus {
public:
    SessionBus() : name_(QStringLiteral("kestrel-cli-trigger-%1").arg(next_++)) {
        const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        connection_ = address && *address
                          ? QDBusConnection::connectToBus(QString::fromUtf8(address), name_)
                          : QDBusConnection::connectToBus(QDBusConnection::SessionBus, name_);
    }
    ~SessionBus() { QDBusConnection::disconnectFromBus(name_); }
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;
    QDBusConnection& connection() { return connection_; }

private:
    static inline std::atomic<int> next_{0};
    QString name_;
    QDBusConnection connection_{QString()};
};

// Qt's own messages go to Kestrel's log from the first trigger on, also those
// of Qt's bus thread as the process ends: the command's error stays one line.
void qtMessagesToLog() {
    static const bool installed = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            Log::debug("Qt: " + text.toStdString());
        });
        return true;
    }();
    (void)installed;
}

}  // namespace

TriggerCommand::TriggerCommand(CLI::App& parent, CliContext& context) : context_(context) {
    CLI::App* trigger = parent.add_subcommand(
        "trigger", "Press the running window's shutter (or --cancel what runs) over the session bus");
    CLI::Option* cancel = trigger->add_flag(
        "--cancel", cancel_, "Stop a count-down, a sensing watch or a series instead");
    trigger->add_option("--mode", mode_, "Set this shooting mode (its number) first, then press")
        ->type_name("N")
        ->excludes(cancel);
    trigger->callback([this] { run(); });
}

void TriggerCommand::run() const {
    // Qt's bus connections want an application object; the tests have one already.
    static int argc = 1;
    static char name[] = "kestrel-cli";
    static char* argv[] = {name, nullptr};
    qtMessagesToLog();
    std::unique_ptr<QCoreApplication> application;
    if (!QCoreApplication::instance()) application = std::make_unique<QCoreApplication>(argc, argv);

    SessionBus bus;
    QDBusConnection& connection = bus.connection();
    if (!connection.isConnected())
        throw CliError::failure("no Kestrel window is running (no session bus: " +
                                connection.lastError().message().toStdString() + ")");
    if (!connection.interface()->isServiceRegistered(kName))
        throw CliError::failure("no Kestrel window is running");

    auto activate = [&connection](const QString& action, const QVariantList& parameter) {
        QDBusMessage call = QDBusMessage::createMethodCall(kName, kPath, kInterface, "ActivateAction");
        call.setAutoStartService(false);  // a window that is gone is not started again
        // A list of variants goes as D-Bus "av", each value in its own variant.
        call << action << QVariant::fromValue(parameter) << QVariantMap{};
        const QDBusMessage reply = connection.call(call, QDBus::Block, kTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage) return;
        const std::string error = reply.errorName().toStdString();
        if (error == "org.freedesktop.DBus.Error.ServiceUnknown" ||
            error == "org.freedesktop.DBus.Error.NameHasNoOwner")
            throw CliError::failure("no Kestrel window is running");
        if (error == "org.freedesktop.DBus.Error.InvalidArgs")
            throw CliError::usage(reply.errorMessage().toStdString());
        throw CliError::failure(action.toStdString() + ": " + reply.errorMessage().toStdString());
    };
    if (cancel_) {
        activate("cancel", {});
        *context_.out << "cancelled\n";
        return;
    }
    if (mode_) activate("set-mode", {QVariant(*mode_)});
    activate("take-picture", {});
    *context_.out << "shutter pressed\n";
}

}  // namespace kestrel::cli
