#include "core/app/KestrelAppDelegate.h"

#include "core/sensors/DevicePosition.h"
#include "core/settings/ApplicationId.h"

namespace kestrel {

void KestrelAppDelegate::applicationDidFinishLaunching() {
    ApplicationId::setId(ApplicationId::kThisBuild);
    if (idleTimer_) idleTimer_->setIdleTimerDisabled(true);
    if (devicePosition_) {
        devicePosition_->setInterval(0.1);
        devicePosition_->restart();
    }
    if (showWindow_) showWindow_();
}

}  // namespace kestrel
