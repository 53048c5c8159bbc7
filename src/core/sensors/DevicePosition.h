#pragma once

#include "core/platform/Accelerometer.h"
#include "core/platform/NotificationCenter.h"
#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"

#include <array>

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

    // One accelerometer sample.
    void accelerometerDidAccelerate(float x, float y, float z);

    float average(int axis, int samples) const;
    bool ranges(float& x, float& y, float& z, int samples) const;
    int total() const { return total_; }

private:
    void updateHistory(float x, float y, float z);
    void updateOrientation();

    Accelerometer* accelerometer_;
    NotificationCenter* notifications_;
    Timer startTimer_;
    double interval_ = 1.0 / 30.0;
    int orientation_ = kPortrait;
    std::array<std::array<double, 3>, kHistory> history_{};
    int position_ = 0;
    int total_ = 0;
};

}  // namespace kestrel
