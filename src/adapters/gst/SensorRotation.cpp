#include "adapters/gst/SensorRotation.h"

#include "core/imaging/Rotation.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <system_error>

namespace kestrel {

SensorRotation::SensorRotation(std::filesystem::path sysfs, std::filesystem::path dev, ReadControl read)
    : sysfs_(std::move(sysfs)), dev_(std::move(dev)), read_(std::move(read)) {}

std::optional<int> SensorRotation::forLibcameraId(const std::string& id) const {
    if (id.rfind("/base/", 0) != 0) return std::nullopt;  // not a device-tree sensor
    std::error_code error;
    const std::filesystem::path classes = sysfs_ / "class" / "video4linux";
    const std::filesystem::path firmware = sysfs_ / "firmware" / "devicetree";
    for (const auto& entry : std::filesystem::directory_iterator(classes, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("v4l-subdev", 0) != 0) continue;
        // The sub-device's firmware node, as libcamera names its cameras.
        const auto node = std::filesystem::canonical(entry.path() / "device" / "of_node", error);
        if (error) continue;
        const std::filesystem::path relative = node.lexically_relative(
            std::filesystem::weakly_canonical(firmware, error));
        if (relative.empty() || relative.native().rfind("..", 0) == 0) continue;
        // libcamera's id is the node's path below the device tree, from "/".
        const std::string path = relative.generic_string();
        if (id.size() != path.size() + 1 || id.compare(1, std::string::npos, path) != 0) continue;
        if (const auto degrees = read_(dev_ / name)) return Rotation::fromCounterClockwise(*degrees);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<int> SensorRotation::readControl(const std::filesystem::path& node) {
    const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    v4l2_control control{};
    control.id = V4L2_CID_CAMERA_SENSOR_ROTATION;
    const bool read = ::ioctl(fd, VIDIOC_G_CTRL, &control) == 0;
    ::close(fd);
    if (!read || !Rotation::isQuarterTurn(control.value)) return std::nullopt;
    return control.value;
}

}  // namespace kestrel
