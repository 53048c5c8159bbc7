#include "core/sensors/DevicePosition.h"

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

DevicePosition* shared = nullptr;

}  // namespace

DevicePosition::DevicePosition(Accelerometer& accelerometer, RunLoop& loop,
                               NotificationCenter& notifications)
    : accelerometer_(&accelerometer), loop_(&loop), notifications_(&notifications), startTimer_(loop) {
    shared = this;
    restart();
}

DevicePosition::~DevicePosition() {
    startTimer_.stop();
    accelerometer_->setDelegate(nullptr);
    if (shared == this) shared = nullptr;
}

DevicePosition* DevicePosition::device() { return shared; }

void DevicePosition::restart() {
    startTimer_.start(RunLoop::seconds(0.2), [this] {
        accelerometer_->setDelegate(nullptr);
        accelerometer_->setUpdateInterval(interval_);
        accelerometer_->setDelegate(
            [this](float x, float y, float z) { accelerometerDidAccelerate(x, y, z); });
    });
}

void DevicePosition::accelerometerDidAccelerate(float x, float y, float z) {
    updateHistory(x, y, z);
    updateOrientation();
}

void DevicePosition::updateHistory(float x, float y, float z) {
    history_[static_cast<std::size_t>(position_)] = {x, y, z};
    times_[static_cast<std::size_t>(position_)] = loop_->now();
    position_ = (position_ + 1) % kHistory;
    total_ = std::min(total_ + 1, kHistory);
}

float DevicePosition::average(int axis, int samples) const {
    const int count = std::min(total_, samples);
    if (count == 0) return 0;
    float sum = 0;  // single precision, as the averages are specified
    for (int i = 1; i <= count; ++i)
        sum += static_cast<float>(history_[slot(i)][static_cast<std::size_t>(axis)]);
    return sum / static_cast<float>(count);
}

bool DevicePosition::ranges(float& x, float& y, float& z, int samples) const {
    if (total_ <= samples) return false;
    std::array<float, 3> low{}, high{};
    for (int i = 1; i <= samples; ++i) {
        const auto& s = history_[slot(i)];
        for (std::size_t a = 0; a < 3; ++a) {
            const auto v = static_cast<float>(s[a]);
            low[a] = i == 1 ? v : std::min(low[a], v);
            high[a] = i == 1 ? v : std::max(high[a], v);
        }
    }
    x = high[0] - low[0];
    y = high[1] - low[1];
    z = high[2] - low[2];
    return true;
}

void DevicePosition::updateOrientation() {
    const float x = average(0, 30);
    const float y = average(1, 30);
    const float z = average(2, 30);
    // Accelerating, or lying nearly flat: no decision.
    if (!(x * x + y * y + z * z < 1.2f) || !(std::fabs(x) > 0.2f || std::fabs(y) > 0.2f)) return;
    const int next = std::fabs(x) > std::fabs(y)
                         ? (x > 0 ? kLandscapeXPositive : kLandscapeXNegative)
                         : (y > 0 ? kUpsideDown : kPortrait);
    if (next == orientation_) return;
    orientation_ = next;
    notifications_->postNotificationName(kChangeOrientation, this);
}

bool DevicePosition::stable(float threshold, float& meanRange) const {
    float x = 0, y = 0, z = 0;
    if (!ranges(x, y, z, 30)) {
        meanRange = 10.0f;
        return false;
    }
    meanRange = (x + y + z) / 3;
    return threshold > x && threshold > y && threshold > z;
}

bool DevicePosition::shaking(float threshold, float& meanRange) const {
    float x = 0, y = 0, z = 0;
    if (!ranges(x, y, z, 10)) {
        meanRange = 0;
        return false;
    }
    meanRange = (x + y + z) / 3;
    return threshold < x || threshold < y || threshold < z;
}

std::optional<RunLoop::Duration> DevicePosition::joltTime(float threshold, int samples) const {
    if (total_ <= samples) return std::nullopt;
    std::array<float, 3> low{}, high{};
    // Oldest first, so the answer is where the movement crossed the
    // threshold, not where it peaked.
    for (int i = samples; i >= 1; --i) {
        const auto& s = history_[slot(i)];
        for (std::size_t a = 0; a < 3; ++a) {
            const auto v = static_cast<float>(s[a]);
            low[a] = i == samples ? v : std::min(low[a], v);
            high[a] = i == samples ? v : std::max(high[a], v);
            if (threshold < high[a] - low[a])
                return times_[slot(i)];
        }
    }
    return std::nullopt;
}

}  // namespace kestrel
