#include "core/platform/FixedLocationManager.h"

#include "core/platform/Log.h"

namespace kestrel {

FixedLocationManager::~FixedLocationManager() { *alive_ = false; }

void FixedLocationManager::startUpdatingLocation() {
    if (position_) postReport();
}

void FixedLocationManager::requestUpdate() {
    if (position_) return postReport();
    Log::info("location: no position is known to report");
    if (delegate_) delegate_->didFailWithError();
}

void FixedLocationManager::postReport() {
    loop_->post([this, alive = alive_] {
        if (!*alive || !delegate_ || !position_) return;
        GeoPosition fix = *position_;
        fix.timestamp = std::chrono::system_clock::now();
        delegate_->didUpdateToLocation(fix);
    });
}

}  // namespace kestrel
