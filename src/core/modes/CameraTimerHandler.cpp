#include "core/modes/CameraTimerHandler.h"

#include "core/settings/Camera1Data.h"

namespace kestrel {

int CameraTimerHandler::getTimerDelay() const {
    const Camera1Data* settings = Camera1Data::data();
    return settings ? settings->timer().timerDelay() : 10;  // read at every tick
}

bool CameraTimerHandler::shutter() {
    if (state() == kIdle) {
        startDelay();
        return true;
    }
    return CameraHandler::shutter();
}

void CameraTimerHandler::photo() {
    const Camera1Data* settings = Camera1Data::data();
    if (settings && settings->timer().repeat()) setAutoStart(true);
    CameraHandler::photo();
}

}  // namespace kestrel
