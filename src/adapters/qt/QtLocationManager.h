#pragma once

#include "core/platform/LocationManager.h"
#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"

#include <QGeoPositionInfoSource>

#include <memory>

namespace kestrel {

// The desktop's location service through Qt Positioning (GeoClue 2 on
// Linux). Fixes come with their own time, so a late or cached one can be
// recognised as stale. When no fix comes within the timeout of a start, or
// the service reports an error, the delegate is told of a failure.
class QtLocationManager final : public LocationManager {
public:
    static constexpr double kTimeout = 30.0;

    explicit QtLocationManager(RunLoop& loop);
    ~QtLocationManager() override;

    bool locationServicesEnabled() const override { return source_ != nullptr; }
    void setDelegate(Delegate* delegate) override { delegate_ = delegate; }
    void startUpdatingLocation() override;

private:
    void fail(const char* why);

    std::unique_ptr<QGeoPositionInfoSource> source_;
    Delegate* delegate_ = nullptr;
    Timer timeout_;
    bool gotFix_ = false;
    bool started_ = false;
};

}  // namespace kestrel
