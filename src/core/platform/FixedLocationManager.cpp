#include "core/platform/FixedLocationManager.h"

namespace kestrel {

void FixedLocationManager::startUpdatingLocation() {
    if (!position_) return;
    loop_->post([this] {
        if (!delegate_ || !position_) return;
        GeoPosition fix = *position_;
        fix.timestamp = std::chrono::system_clock::now();
        delegate_->didUpdateToLocation(fix);
    });
}

}  // namespace kestrel
