#include "core/platform/FixedLocationManager.h"

namespace kestrel {

void FixedLocationManager::startUpdatingLocation() {
    if (!position_) return;
    auto report = [this] {
        if (!delegate_ || !position_) return;
        GeoPosition fix = *position_;
        fix.timestamp = std::chrono::system_clock::now();
        delegate_->didUpdateToLocation(fix);
    };
    loop_->post(report);
    // Reported again every minute, as a receiver keeps reporting, so the fix never grows stale.
    if (!refresh_) refresh_ = loop_->scheduleRepeating(RunLoop::seconds(kRefreshSeconds), report);
}

FixedLocationManager::~FixedLocationManager() {
    if (refresh_) loop_->cancel(refresh_);
}

}  // namespace kestrel
