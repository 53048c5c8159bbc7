#pragma once

#include "core/platform/IdleTimer.h"
#include "core/settings/PrefAppDelegate.h"

#include <functional>

namespace kestrel {

// Kestrel's application delegate: the start-up sequence, and (inherited) the
// settings saves on leaving the active state and on termination.
class DevicePosition;

class KestrelAppDelegate : public PrefAppDelegate {
public:
    // In this order: the product variant code (before anything reads a
    // setting through the rules or the effective values); the idle timer off;
    // the device position sampling every 0.1 s from now on; the window shown.
    virtual void applicationDidFinishLaunching();

    // The pieces start-up touches; each may be left unset (kestrel-cli).
    void setIdleTimer(IdleTimer* idleTimer) { idleTimer_ = idleTimer; }
    void setDevicePosition(DevicePosition* position) { devicePosition_ = position; }
    void setShowWindow(std::function<void()> showWindow) { showWindow_ = std::move(showWindow); }

private:
    IdleTimer* idleTimer_ = nullptr;
    DevicePosition* devicePosition_ = nullptr;
    std::function<void()> showWindow_;
};

}  // namespace kestrel
