#pragma once

#include "core/platform/LocationManager.h"
#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"

#include <QGeoPositionInfoSource>

#include <memory>

namespace kestrel {

// The desktop's location service through Qt Positioning (GeoClue 2 on
// Linux). Fixes come with their own time, so a late or cached one can be
// recognised as stale. When no fix comes within the timeout of a start or
// of a request, or the service reports an error, the delegate is told of a
// failure.
//
// GeoClue reports only when the position changes; asked, it answers its
// current position with the time that position was first found, which on a
// device that has not moved may be long ago. Such an answer to a request is
// where the device is now, and is stamped so.
class QtLocationManager final : public LocationManager {
public:
    static constexpr double kTimeout = 30.0;

    // The desktop's default source, or none.
    explicit QtLocationManager(RunLoop& loop);
    // The given source (none: no service).
    QtLocationManager(RunLoop& loop, std::unique_ptr<QGeoPositionInfoSource> source);
    ~QtLocationManager() override;

    bool locationServicesEnabled() const override { return source_ != nullptr; }
    void setDelegate(Delegate* delegate) override { delegate_ = delegate; }
    void startUpdatingLocation() override;
    void setUpdateInterval(double seconds) override;
    void requestUpdate() override;

private:
    void received(const QGeoPositionInfo& info);
    void fail(const char* why);

    std::unique_ptr<QGeoPositionInfoSource> source_;
    Delegate* delegate_ = nullptr;
    Timer timeout_;
    bool gotFix_ = false;
    bool started_ = false;
    bool requested_ = false;  // a request is waiting for its answer
    bool failing_ = false;    // failures are logged once until a fix comes
};

}  // namespace kestrel
