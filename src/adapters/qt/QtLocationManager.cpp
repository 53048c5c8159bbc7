#include "adapters/qt/QtLocationManager.h"

#include "core/platform/Log.h"

#include <QGeoCoordinate>
#include <QGeoPositionInfo>

#include <algorithm>
#include <cmath>

namespace kestrel {

QtLocationManager::QtLocationManager(RunLoop& loop)
    : QtLocationManager(loop, std::unique_ptr<QGeoPositionInfoSource>(
                                  QGeoPositionInfoSource::createDefaultSource(nullptr))) {}

QtLocationManager::QtLocationManager(RunLoop& loop, std::unique_ptr<QGeoPositionInfoSource> source)
    : source_(std::move(source)), timeout_(loop) {
    if (!source_) {
        Log::info("location: no location service on this desktop");
        return;
    }
    QObject::connect(source_.get(), &QGeoPositionInfoSource::positionUpdated, source_.get(),
                     [this](const QGeoPositionInfo& info) { received(info); });
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

void QtLocationManager::setUpdateInterval(double seconds) {
    if (!source_) return;
    const int wanted = static_cast<int>(std::lround(std::clamp(seconds, 0.0, 86400.0) * 1000));
    source_->setUpdateInterval(std::max(wanted, source_->minimumUpdateInterval()));
}

void QtLocationManager::requestUpdate() {
    if (!source_) {
        fail("no location service");
        return;
    }
    requested_ = true;
    source_->requestUpdate(static_cast<int>(kTimeout * 1000));
}

void QtLocationManager::received(const QGeoPositionInfo& info) {
    const QGeoCoordinate where = info.coordinate();
    if (!info.isValid() || !where.isValid() || !delegate_) return;
    gotFix_ = true;
    failing_ = false;
    timeout_.stop();
    auto when = std::chrono::system_clock::time_point(
        std::chrono::milliseconds(info.timestamp().toMSecsSinceEpoch()));
    if (requested_) when = std::max(when, std::chrono::system_clock::now());
    requested_ = false;
    delegate_->didUpdateToLocation(GeoPosition{where.latitude(), where.longitude(), when});
}

void QtLocationManager::fail(const char* why) {
    requested_ = false;
    if (!failing_) Log::warning(std::string("location: ") + why);
    failing_ = true;
    if (delegate_) delegate_->didFailWithError();
}

}  // namespace kestrel
