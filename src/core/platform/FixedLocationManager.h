#pragma once

#include "core/platform/LocationManager.h"
#include "core/platform/RunLoop.h"

#include <optional>

namespace kestrel {

// A location service that knows one position (or none): once started it
// reports that position on the run loop, stamped with the time of the report.
// Simulated devices and reproducible runs use it.
class FixedLocationManager final : public LocationManager {
public:
    static constexpr double kRefreshSeconds = 60;

    FixedLocationManager(RunLoop& loop, std::optional<GeoPosition> position)
        : loop_(&loop), position_(position) {}
    ~FixedLocationManager() override;
    FixedLocationManager(const FixedLocationManager&) = delete;
    FixedLocationManager& operator=(const FixedLocationManager&) = delete;

    bool locationServicesEnabled() const override { return position_.has_value(); }
    void setDelegate(Delegate* delegate) override { delegate_ = delegate; }
    void startUpdatingLocation() override;

private:
    RunLoop* loop_;
    std::optional<GeoPosition> position_;
    Delegate* delegate_ = nullptr;
    RunLoop::TimerId refresh_ = 0;
};

}  // namespace kestrel
