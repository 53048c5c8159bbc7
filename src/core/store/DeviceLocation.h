#pragma once

#include "core/platform/LocationManager.h"
#include "core/platform/LocationSource.h"
#include "core/platform/NotificationCenter.h"
#include "core/platform/PreferenceStore.h"
#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace kestrel {

// The one location source: runs the location service, keeps the latest
// position, and stops asking for positions after three starts in a row that
// received none (the "location rejection" counter in the preference store).
//
// A fix older than kMaxAge is no photo's position, and many services report
// only changes, so while the camera is shown (active, as at start) the
// service is asked to report every kRefreshSeconds and asked outright when
// that long passes without a fix: a device that does not move keeps a fresh
// position. While the camera is hidden nobody takes a photo, and the
// service is left to report changes at a slow pace.
//
// Threads: created and fed on the main thread; currentLocation() may be
// called from any thread (the saving thread reads it).
class DeviceLocation final : public LocationSource, private LocationManager::Delegate {
public:
    static constexpr const char* kRejectionKey = "location rejection";
    static constexpr const char* kLocationUpdate = "Location_Update";
    // A fix older than this is not a photo's position any more.
    static constexpr std::chrono::seconds kMaxAge{120};
    static constexpr double kRefreshSeconds = 30;
    static constexpr double kHiddenUpdateSeconds = 300;
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    DeviceLocation(PreferenceStore& store, std::unique_ptr<LocationManager> manager, RunLoop& loop,
                   NotificationCenter& notifications = NotificationCenter::defaultCenter());
    ~DeviceLocation() override;
    DeviceLocation(const DeviceLocation&) = delete;
    DeviceLocation& operator=(const DeviceLocation&) = delete;

    // The shared instance, or none; it never creates one.
    static DeviceLocation* device();

    // The latest fix, unless it is older than kMaxAge.
    std::optional<GeoPosition> currentLocation() const override;
    // The wall clock the age is measured on (tests set their own).
    void setClock(Clock clock) { clock_ = std::move(clock); }
    bool useLocation() const { return useLocation_; }
    void setUseLocation(bool use) { useLocation_ = use; }
    void startUpdate();
    // Whether the camera is shown (see above).
    void setActive(bool active);
    bool active() const { return active_; }

private:
    void didUpdateToLocation(const GeoPosition& position) override;
    void didFailWithError() override {}
    void awaitNextFix();
    double updateInterval() const { return active_ ? kRefreshSeconds : kHiddenUpdateSeconds; }

    PreferenceStore* store_;
    std::unique_ptr<LocationManager> manager_;
    NotificationCenter* notifications_;
    RunLoop* loop_;
    Timer startTimer_;
    Timer refreshTimer_;  // runs while updating and active
    bool useLocation_ = false;
    bool updating_ = false;
    bool active_ = true;
    std::optional<RunLoop::Duration> lastFixAt_;  // on the loop's clock
    mutable std::mutex mutex_;  // guards current_
    std::optional<GeoPosition> current_;
    Clock clock_ = [] { return std::chrono::system_clock::now(); };
};

}  // namespace kestrel
