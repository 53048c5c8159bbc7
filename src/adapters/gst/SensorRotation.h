#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace kestrel {

// What the kernel says of a camera sensor's mounting: the
// V4L2_CID_CAMERA_SENSOR_ROTATION control of the sensor's sub-device (a
// phone's raw sensors have it, from the device tree; USB webcams do not).
// libcamera and PipeWire on Debian 12 do not pass it on to GStreamer, so it
// is read here, for the libcamera camera whose id is the sensor's firmware
// node ("/base/soc/i2c@1/imx219@10").
class SensorRotation {
public:
    // The control's value (counter-clockwise degrees) of a sub-device node, or none.
    using ReadControl = std::function<std::optional<int>(const std::filesystem::path& node)>;

    explicit SensorRotation(std::filesystem::path sysfs = "/sys", std::filesystem::path dev = "/dev",
                            ReadControl read = readControl);

    // The clockwise rotation that makes the frames of the libcamera camera
    // `id` upright, or none when nothing says.
    std::optional<int> forLibcameraId(const std::string& id) const;

    // VIDIOC_G_CTRL on the node.
    static std::optional<int> readControl(const std::filesystem::path& node);

private:
    std::filesystem::path sysfs_;
    std::filesystem::path dev_;
    ReadControl read_;
};

}  // namespace kestrel
