#pragma once

#include "core/modes/CameraHandler.h"

namespace kestrel {

// Mode 2: the self-timer. A press starts the count-down of the timer
// sub-record's delay; with repeat, the next count-down starts by itself after
// every picture until a press stops one.
class CameraTimerHandler : public CameraHandler {
public:
    int getTimerDelay() const override;
    bool shutter() override;
    void photo() override;
    std::optional<std::string> getModeImage() const override { return "Mode_Timer_on.png"; }
};

}  // namespace kestrel
