#include "core/store/DeviceLocation.h"

#include <atomic>

namespace kestrel {
namespace {

std::atomic<DeviceLocation*> shared{nullptr};

}  // namespace

DeviceLocation::DeviceLocation(PreferenceStore& store, std::unique_ptr<LocationManager> manager,
                               RunLoop& loop, NotificationCenter& notifications)
    : store_(&store),
      manager_(std::move(manager)),
      notifications_(&notifications),
      loop_(&loop),
      startTimer_(loop),
      refreshTimer_(loop) {
    const std::int32_t starts = store_->integerForKey(kRejectionKey);
    useLocation_ = starts <= 2;
    store_->setInteger(starts + 1, kRejectionKey);
    store_->synchronize();  // the count of starts must survive this run
    manager_->setDelegate(this);
    startTimer_.start(RunLoop::seconds(1.0), [this] { startUpdate(); });
    DeviceLocation* none = nullptr;
    shared.compare_exchange_strong(none, this);
}

DeviceLocation::~DeviceLocation() {
    manager_->setDelegate(nullptr);
    DeviceLocation* self = this;
    shared.compare_exchange_strong(self, nullptr);
}

DeviceLocation* DeviceLocation::device() { return shared.load(); }

std::optional<GeoPosition> DeviceLocation::currentLocation() const {
    std::lock_guard lock(mutex_);
    // A stale fix would put the photo where the device was, not where it is.
    if (current_ && clock_() - current_->timestamp > kMaxAge) return std::nullopt;
    return current_;
}

void DeviceLocation::startUpdate() {
    if (updating_ || !manager_->locationServicesEnabled() || !useLocation_) return;
    updating_ = true;
    manager_->setUpdateInterval(updateInterval());
    manager_->startUpdatingLocation();
    if (active_) awaitNextFix();
}

void DeviceLocation::setActive(bool active) {
    if (active == active_) return;
    active_ = active;
    if (!updating_) return;
    manager_->setUpdateInterval(updateInterval());
    if (!active_) {
        refreshTimer_.stop();
        return;
    }
    // Back to the camera: a fix from before may be about to go stale.
    const bool recent = lastFixAt_ && loop_->now() - *lastFixAt_ < RunLoop::seconds(kRefreshSeconds);
    if (!recent) manager_->requestUpdate();
    awaitNextFix();
}

// Asks the service where the device is when no fix came for kRefreshSeconds,
// and again each time as long as none comes.
void DeviceLocation::awaitNextFix() {
    refreshTimer_.start(RunLoop::seconds(kRefreshSeconds), [this] {
        awaitNextFix();
        manager_->requestUpdate();
    });
}

void DeviceLocation::didUpdateToLocation(const GeoPosition& position) {
    {
        std::lock_guard lock(mutex_);
        current_ = position;
    }
    lastFixAt_ = loop_->now();
    if (updating_ && active_) awaitNextFix();
    if (store_->integerForKey(kRejectionKey) != 0) {
        store_->setInteger(0, kRejectionKey);
        store_->synchronize();
    }
    notifications_->postNotificationName(kLocationUpdate, this);
}

}  // namespace kestrel
