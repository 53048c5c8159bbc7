#pragma once

#include "core/platform/Accelerometer.h"
#include "core/platform/NotificationCenter.h"
#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"

#include <array>
#include <optional>

namespace kestrel {

// The one listener of the accelerometer: keeps the last 100 samples and tells
// how the device is held (posting "Change Orientation" when that changes),
// whether it has been steady, and whether it is being shaken. Main thread.
class DevicePosition {
public:
    static constexpr const char* kChangeOrientation = "Change Orientation";
    static constexpr int kHistory = 100;
    enum Orientation : int {
        kPortrait = 1,
        kUpsideDown = 2,
        kLandscapeXNegative = 3,
        kLandscapeXPositive = 4
    };

    DevicePosition(Accelerometer& accelerometer, RunLoop& loop,
                   NotificationCenter& notifications = NotificationCenter::defaultCenter());
    ~DevicePosition();
    DevicePosition(const DevicePosition&) = delete;
    DevicePosition& operator=(const DevicePosition&) = delete;

    static DevicePosition* device();

    void setInterval(double seconds) { interval_ = seconds; }
    double interval() const { return interval_; }
    // Samples start 0.2 s from now, at the interval; the history is kept.
    void restart();

    int orientation() const { return orientation_; }
    // Whether the device has an accelerometer: without one it never turns,
    // is never steady and never shaken.
    bool hasAccelerometer() const { return accelerometer_->isAvailable(); }
    // Steady: more than 30 samples and every range of the last 30 below the
    // threshold; `meanRange` gets the mean of the three ranges (10 with too
    // few samples).
    bool stable(float threshold, float& meanRange) const;
    // Moved: more than 10 samples and a range of the last 10 above the
    // threshold; `meanRange` gets the mean of the ranges (0 with too few).
    bool shaking(float threshold, float& meanRange) const;
    // When the jolt among the last `samples` began: the first of them at
    // which an axis had moved more than `threshold` from the window's
    // start, on the run loop's clock as the sample arrived. None when no
    // axis did, or with too few samples.
    std::optional<RunLoop::Duration> joltTime(float threshold, int samples = 10) const;

    // One accelerometer sample.
    void accelerometerDidAccelerate(float x, float y, float z);

    float average(int axis, int samples) const;
    bool ranges(float& x, float& y, float& z, int samples) const;
    int total() const { return total_; }

private:
    void updateHistory(float x, float y, float z);
    void updateOrientation();

    // Where the sample `back` places before the next one is kept (1: the newest).
    std::size_t slot(int back) const {
        return static_cast<std::size_t>((position_ - back + kHistory) % kHistory);
    }

    Accelerometer* accelerometer_;
    RunLoop* loop_;
    NotificationCenter* notifications_;
    Timer startTimer_;
    double interval_ = 1.0 / 30.0;
    int orientation_ = kPortrait;
    std::array<std::array<double, 3>, kHistory> history_{};
    std::array<RunLoop::Duration, kHistory> times_{};
    int position_ = 0;
    int total_ = 0;
};

}  // namespace kestrel
