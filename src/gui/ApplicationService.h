#pragma once

#include "core/app/AppActions.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>

#include <functional>
#include <optional>

namespace kestrel::gui {

// Kestrel on the session bus, the desktop's way: the name
// org.kestrelcamera.Kestrel (the application id) and, at
// /org/kestrelcamera/Kestrel, org.freedesktop.Application — Activate and
// Open bring the window forward, ActivateAction runs one of the actions
// "take-picture", "cancel", "set-mode" (parameter: the mode number) and
// "album" through the application's AppActions, so a remote shutter is a
// press like any other. An action that could not be done is answered with
// the error org.kestrelcamera.Kestrel.Error.NotDone and its reason; an
// unknown action or a bad parameter with org.freedesktop.DBus.Error.InvalidArgs.
// Calls arrive on the main thread's event loop.
class ApplicationService : public QDBusVirtualObject {
public:
    static constexpr const char* kName = "org.kestrelcamera.Kestrel";
    static constexpr const char* kPath = "/org/kestrelcamera/Kestrel";
    static constexpr const char* kInterface = "org.freedesktop.Application";
    static constexpr const char* kNotDone = "org.kestrelcamera.Kestrel.Error.NotDone";

    enum class Claim {
        kOwned,    // this process is Kestrel on the bus
        kRunning,  // another Kestrel holds the name
        kNoBus,    // no session bus: Kestrel runs without one
    };

    ApplicationService() = default;
    ~ApplicationService() override;
    ApplicationService(const ApplicationService&) = delete;
    ApplicationService& operator=(const ApplicationService&) = delete;

    // The object, then the name, on `bus`. The actions may be set later: a
    // call is only delivered once the event loop runs.
    Claim claim(QDBusConnection bus);
    // What the actions act on, and what brings the window forward.
    void setActions(AppActions* actions) { actions_ = actions; }
    void setActivate(std::function<void()> activate) { activate_ = std::move(activate); }

    // Asks the Kestrel holding the name on `bus` to bring its window
    // forward. NO (logged) when none answers.
    static bool activateRunning(QDBusConnection bus);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QDBusMessage activateAction(const QDBusMessage& message);

    AppActions* actions_ = nullptr;
    std::function<void()> activate_;
    std::optional<QDBusConnection> bus_;
};

}  // namespace kestrel::gui
