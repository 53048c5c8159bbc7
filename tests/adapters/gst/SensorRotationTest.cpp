#include "adapters/gst/CameraFinder.h"
#include "adapters/gst/SensorRotation.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// A phone's sysfs in miniature: two sensors, each a sub-device whose device
// has a device-tree node, and a USB webcam's video node without one.
struct FakeSysfs {
    explicit FakeSysfs(const fs::path& root) : sysfs(root / "sys") {
        const fs::path base = sysfs / "firmware" / "devicetree" / "base" / "soc";
        for (const auto& [subdev, sensor] : {std::pair{"v4l-subdev0", "i2c@1/imx258@1a"},
                                             std::pair{"v4l-subdev3", "i2c@2/gc2145@3c"}}) {
            fs::create_directories(base / sensor);
            const fs::path device = sysfs / "devices" / subdev;
            fs::create_directories(device);
            fs::create_symlink(base / sensor, device / "of_node");
            fs::create_directories(sysfs / "class" / "video4linux" / subdev);
            fs::create_symlink(device, sysfs / "class" / "video4linux" / subdev / "device");
        }
        fs::create_directories(sysfs / "class" / "video4linux" / "video0" / "device");
    }
    fs::path sysfs;
};

TEST(SensorRotationTest, ALibcameraSensorsRotationComesFromItsSubdeviceCounterClockwiseTurnedClockwise) {
    test::TempDir dir;
    FakeSysfs fake(dir.path());
    std::vector<fs::path> asked;
    const SensorRotation rotation(fake.sysfs, "/dev", [&](const fs::path& node) -> std::optional<int> {
        asked.push_back(node);
        if (node == "/dev/v4l-subdev0") return 90;  // the back sensor: a quarter turn counter-clockwise
        return std::nullopt;                        // the front one says nothing
    });
    EXPECT_EQ(rotation.forLibcameraId("/base/soc/i2c@1/imx258@1a"), 270);
    EXPECT_EQ(asked, (std::vector<fs::path>{"/dev/v4l-subdev0"}));
    EXPECT_EQ(rotation.forLibcameraId("/base/soc/i2c@2/gc2145@3c"), std::nullopt);
    EXPECT_EQ(rotation.forLibcameraId("/base/soc/i2c@9/none@10"), std::nullopt);
    EXPECT_EQ(rotation.forLibcameraId("\\_SB_.PCI0.XHC_.RHUB.HS05-5:1.0-04f2:b6dd"), std::nullopt);  // a USB webcam
    // No such tree at all (a container, another system): nothing, quietly.
    const SensorRotation none(dir / "nowhere", "/dev", [](const fs::path&) { return 90; });
    EXPECT_EQ(none.forLibcameraId("/base/soc/i2c@1/imx258@1a"), std::nullopt);
    // A node that cannot be opened reads as nothing.
    EXPECT_EQ(SensorRotation::readControl(dir / "no-such-node"), std::nullopt);

    // The finder gives the libcamera camera (directly, or through PipeWire) its mounting.
    CameraFinder finder("unix:path=" + (dir / "no-bus").string(), [] {
        return std::vector<CameraFinder::Sighting>{
            {"libcamera", "back", {{"camera-name", "/base/soc/i2c@1/imx258@1a"}}, ""},
            {"pipewire", "front", {{"object.serial", "42"}, {"api.libcamera.path", "/base/soc/i2c@2/gc2145@3c"}}, ""}};
    });
    finder.setSensorRotation(SensorRotation(fake.sysfs, "/dev", [](const fs::path& node) -> std::optional<int> {
        return node == "/dev/v4l-subdev0" ? std::optional(90) : std::optional(180);
    }));
    finder.find();
    std::map<std::string, int> rotations;
    for (const auto& camera : finder.cameras()) rotations[camera.source.name] = camera.source.rotation;
    EXPECT_EQ(rotations["back"], 270);
    EXPECT_EQ(rotations["front"], 180);
}

}  // namespace
}  // namespace kestrel
