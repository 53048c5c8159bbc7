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
      startTimer_(loop) {
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
    if (manager_->locationServicesEnabled() && useLocation_) manager_->startUpdatingLocation();
}

void DeviceLocation::didUpdateToLocation(const GeoPosition& position) {
    {
        std::lock_guard lock(mutex_);
        current_ = position;
    }
    if (store_->integerForKey(kRejectionKey) != 0) {
        store_->setInteger(0, kRejectionKey);
        store_->synchronize();
    }
    notifications_->postNotificationName(kLocationUpdate, this);
}

}  // namespace kestrel
