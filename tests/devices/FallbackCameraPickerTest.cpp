#include "devices/FallbackCameraPicker.h"

#include "core/platform/ManualRunLoop.h"
#include "sim/SimulatedCamera.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestrel {
namespace {

// A desktop camera that can be plugged in: one device that faces nowhere in particular.
class PluggableCamera final : public CameraPicker {
public:
    bool isSourceAvailable() const override { return plugged; }
    bool isCameraDeviceAvailable(Device d) const override { return plugged && d == Device::kRear; }
    bool isFlashAvailable(Device) const override { return false; }
    Device cameraDevice() const override { return device; }
    void setCameraDevice(Device d) override { device = d; }
    FlashMode flashMode() const override { return flash; }
    void setFlashMode(FlashMode mode) override { flash = mode; }
    void takePicture(PictureHandler handler) override {
        ++pictures;
        handler(Image());
    }
    Image previewFrame() const override { return Image(); }
    void setPreviewScale(double s) override { scale = s; }
    double previewScale() const override { return scale; }
    void setPreviewTranslation(Point p) override { shift = p; }
    Point previewTranslation() const override { return shift; }
    void setFrameObserver(std::function<void()> observer) override {
        frameObserver = std::move(observer);
    }

    bool plugged = false;
    std::function<void()> frameObserver;
    Device device = Device::kRear;
    FlashMode flash = FlashMode::kOff;
    double scale = 1;
    Point shift{};
    int pictures = 0;
};

TEST(FallbackCameraPickerTest, SimulatedUntilACameraIsPluggedInThenTheRealOneForGood) {
    ManualRunLoop loop;
    SimulatedCamera simulated(loop);
    PluggableCamera real;
    FallbackCameraPicker camera(real, simulated);
    EXPECT_FALSE(camera.usesRealCamera());
    EXPECT_FALSE(camera.update());  // nothing plugged in: nothing changes

    // The live view as the user left it on the simulated camera.
    camera.setFlashMode(CameraPicker::FlashMode::kAuto);
    camera.setPreviewScale(2.5);
    camera.setPreviewTranslation({0, -12});
    camera.setCameraDevice(CameraPicker::Device::kFront);
    bool simulatedAnswered = false;
    camera.takePicture(
        [&](const Image& picture) { simulatedAnswered = static_cast<bool>(picture); });

    real.plugged = true;
    EXPECT_TRUE(camera.update());
    EXPECT_TRUE(camera.usesRealCamera());
    EXPECT_FALSE(camera.update());  // only once
    // Carried over: the flash, the zoom and the shift; the front device only if it has one.
    EXPECT_EQ(real.flash, CameraPicker::FlashMode::kAuto);
    EXPECT_EQ(real.scale, 2.5);
    EXPECT_EQ(real.shift.y, -12);
    EXPECT_EQ(real.device, CameraPicker::Device::kRear);
    EXPECT_FALSE(camera.isFlashAvailable(CameraPicker::Device::kRear));

    // A still asked of the simulated camera before the switch still comes from it.
    loop.advance(1.0);
    EXPECT_TRUE(simulatedAnswered);
    camera.takePicture([](const Image&) {});
    EXPECT_EQ(real.pictures, 1);

    // Unplugged again: the real camera says there is none; no silent return to the simulation.
    real.plugged = false;
    EXPECT_FALSE(camera.update());
    EXPECT_FALSE(camera.isSourceAvailable());
}

TEST(FallbackCameraPickerTest, TheLiveViewHearsOfTheFramesOfTheCameraInUse) {
    ManualRunLoop loop;
    SimulatedCamera simulated(loop);
    PluggableCamera real;
    FallbackCameraPicker camera(real, simulated);
    int frames = 0;
    camera.setFrameObserver([&] { ++frames; });
    loop.advance(1.0);
    EXPECT_EQ(frames, static_cast<int>(SimulatedCamera::kFrameRate));
    real.plugged = true;
    ASSERT_TRUE(camera.update());
    // The simulated camera's clock stops; the real camera tells from now on.
    loop.advance(1.0);
    EXPECT_EQ(frames, static_cast<int>(SimulatedCamera::kFrameRate));
    ASSERT_TRUE(real.frameObserver);
    real.frameObserver();
    EXPECT_EQ(frames, static_cast<int>(SimulatedCamera::kFrameRate) + 1);
    camera.setFrameObserver(nullptr);
    EXPECT_FALSE(real.frameObserver);
}

}  // namespace
}  // namespace kestrel
