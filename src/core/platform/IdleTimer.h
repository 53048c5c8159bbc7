#pragma once

namespace kestrel {

// Whether the device may dim and lock on its own while Kestrel runs.
class IdleTimer {
public:
    virtual ~IdleTimer() = default;
    virtual void setIdleTimerDisabled(bool disabled) = 0;
};

}  // namespace kestrel
