#pragma once

#include "core/platform/LocationManager.h"
#include "core/platform/RunLoop.h"

#include <memory>
#include <optional>

namespace kestrel {

// A location service that knows one position (or none): once started it
// reports that position on the run loop, and again whenever asked, stamped
// with the time of the report. Simulated devices and reproducible runs use it.
class FixedLocationManager final : public LocationManager {
public:
    FixedLocationManager(RunLoop& loop, std::optional<GeoPosition> position)
        : loop_(&loop), position_(position) {}
    ~FixedLocationManager() override;
    FixedLocationManager(const FixedLocationManager&) = delete;
    FixedLocationManager& operator=(const FixedLocationManager&) = delete;

    bool locationServicesEnabled() const override { return position_.has_value(); }
    void setDelegate(Delegate* delegate) override { delegate_ = delegate; }
    void startUpdatingLocation() override;
    // The position never changes, so there is nothing to report between requests.
    void setUpdateInterval(double) override {}
    void requestUpdate() override;

private:
    void postReport();

    RunLoop* loop_;
    std::optional<GeoPosition> position_;
    Delegate* delegate_ = nullptr;
    // Reports posted and not yet made; they are dropped when the service goes.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kestrel
