#include "adapters/qt/QtLocationManager.h"

#include "core/platform/Log.h"

#include <QGeoCoordinate>
#include <QGeoPositionInfo>

namespace kestrel {

QtLocationManager::QtLocationManager(RunLoop& loop)
    : source_(QGeoPositionInfoSource::createDefaultSource(nullptr)), timeout_(loop) {
    if (!source_) {
        Log::info("location: no location service on this desktop");
        return;
    }
    QObject::connect(
        source_.get(), &QGeoPositionInfoSource::positionUpdated, source_.get(),
        [this](const QGeoPositionInfo& info) {
            const QGeoCoordinate where = info.coordinate();
            if (!info.isValid() || !where.isValid() || !delegate_) return;
            gotFix_ = true;
            timeout_.stop();
            const auto when = std::chrono::system_clock::time_point(
                std::chrono::milliseconds(info.timestamp().toMSecsSinceEpoch()));
            delegate_->didUpdateToLocation(GeoPosition{where.latitude(), where.longitude(), when});
        });
    QObject::connect(
        source_.get(), &QGeoPositionInfoSource::errorOccurred, source_.get(),
        [this](QGeoPositionInfoSource::Error) { fail("the location service reported an error"); });
}

QtLocationManager::~QtLocationManager() {
    if (source_ && started_) source_->stopUpdates();
}

void QtLocationManager::startUpdatingLocation() {
    if (!source_) {
        fail("no location service");
        return;
    }
    gotFix_ = false;
    started_ = true;
    source_->startUpdates();
    timeout_.start(RunLoop::seconds(kTimeout), [this] {
        if (!gotFix_) fail("no position came in time");
    });
}

void QtLocationManager::fail(const char* why) {
    Log::warning(std::string("location: ") + why);
    if (delegate_) delegate_->didFailWithError();
}

}  // namespace kestrel
