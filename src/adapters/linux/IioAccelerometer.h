#pragma once

#include "core/platform/Accelerometer.h"
#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// The accelerometer of the Linux Industrial I/O subsystem, read from sysfs
// at the update interval on the run loop: (raw + offset) × scale in m/s²,
// turned by the mount matrix into the device's frame, in g, with the sign
// that gives y ≈ −1 g for a device held upright (IIO reports the reaction
// to gravity, +1 g upwards).
class IioAccelerometer final : public Accelerometer {
public:
    static constexpr const char* kDefaultRoot = "/sys/bus/iio/devices";
    static constexpr double kStandardGravity = 9.80665;
    using Matrix = std::array<double, 9>;

    // The first IIO device under `root` with x, y and z acceleration
    // channels; none (with the reason) when there is none.
    static std::unique_ptr<IioAccelerometer> find(RunLoop& loop,
                                                  const std::filesystem::path& root = kDefaultRoot,
                                                  std::string* error = nullptr);
    // "x1, y1, z1; x2, y2, z2; x3, y3, z3"; none when malformed.
    static std::optional<Matrix> parseMountMatrix(const std::string& text);

    IioAccelerometer(RunLoop& loop, std::filesystem::path device);

    void setUpdateInterval(double seconds) override;
    void setDelegate(Delegate delegate) override;

    const std::filesystem::path& device() const { return device_; }
    // One reading in g, device frame, Kestrel's sign; none when a channel cannot be read.
    std::optional<std::array<float, 3>> read() const;

private:
    void restart();
    std::optional<double> readNumber(const std::string& name) const;
    double channelScale(char axis) const;
    double channelOffset(char axis) const;

    RunLoop* loop_;
    std::filesystem::path device_;
    Matrix mount_{1, 0, 0, 0, 1, 0, 0, 0, 1};
    Timer timer_;
    double interval_ = 0.1;
    Delegate delegate_;
    bool failing_ = false;
};

}  // namespace kestrel
