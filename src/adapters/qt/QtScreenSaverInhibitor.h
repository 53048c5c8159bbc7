#pragma once

#include "core/platform/IdleTimer.h"

#include <cstdint>
#include <optional>

namespace kestrel {

// Keeps the desktop from blanking the screen or locking while Kestrel asks
// it to: the freedesktop screen-saver inhibition over the session bus. With
// no session bus, or no screen saver on it, nothing happens (and that is
// logged once).
class QtScreenSaverInhibitor final : public IdleTimer {
public:
    ~QtScreenSaverInhibitor() override { setIdleTimerDisabled(false); }
    void setIdleTimerDisabled(bool disabled) override;
    bool inhibiting() const { return cookie_.has_value(); }

private:
    std::optional<std::uint32_t> cookie_;
};

}  // namespace kestrel
