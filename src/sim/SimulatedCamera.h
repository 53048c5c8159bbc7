#pragma once

#include "core/platform/CameraPicker.h"
#include "core/platform/FrameRing.h"
#include "core/platform/RunLoop.h"

#include <functional>
#include <memory>
#include <optional>

namespace kestrel {

// A camera without hardware: it photographs a synthetic scene (sky, hills, a
// house with tiled detail, a clock face and the time as text, and a red ball
// that moves when asked). Back and front devices (the front one sees the
// scene mirrored and warmer), flash on both, stills of 2592 × 1936 by default
// carrying the orientation the device is held in; the picture arrives on the
// run loop a shutter lag after the request. Like a phone's camera, its sensor
// is mounted a quarter turn from the screen (its frames need 90° clockwise
// to be upright) unless told otherwise, and the live view shows what such a
// sensor sees, turned for the window.
class SimulatedCamera final : public CameraPicker {
public:
    // A still scene; one that a dark figure crosses from left to right in
    // 1.5 s, starting 2 s in and again every 5 s; the still scene in a dim
    // room whose lamp goes on 2 s in, for 2.5 s of every 5 s (the whole
    // picture 2.5 times as bright at once); or the still scene seen by a
    // camera held in a hand, swaying up to 1 % of the width across and
    // 0.6 % up and down (a pixel a frame at most, never still for long).
    enum class Scene { kStill, kMoving, kLightSwitch, kHandHeld };
    static constexpr double kLampOnTime = 2.5;
    static constexpr double kDimLight = 0.4;
    static constexpr double kFirstCrossing = 2.0;
    static constexpr double kCrossingPeriod = 5.0;
    static constexpr double kCrossingTime = 1.5;
    static constexpr double kSway = 0.01;             // of the width, either way
    static constexpr double kSwayAcrossPeriod = 1.3;  // seconds
    static constexpr double kSwayUpPeriod = 0.9;

    static constexpr int kStillWidth = 2592;
    static constexpr int kStillHeight = 1936;
    static constexpr double kShutterLag = 0.3;
    static constexpr int kMountRotation = 90;
    static constexpr int kPreviewWidth = 640;  // the sensor's live frames, as they lie
    static constexpr int kPreviewHeight = 480;
    static constexpr double kFrameRate = 30;  // live frames a second, while someone is told of them
    // A kept frame becomes a picture this long after it is chosen.
    static constexpr double kConversionLag = 0.05;
    // What the scene looks like at one moment: all a frame needs to be drawn
    // later, on any thread.
    struct SceneMoment {
        double seconds = 0;
        Device device = Device::kRear;
        double objectPosition = 0.3;
        Scene scene = Scene::kStill;
        std::shared_ptr<const Image> picture;  // shown over the whole scene
    };

    // `deviceOrientation` answers how the device is held (1–4, as the device
    // position service numbers it); none means upright.
    SimulatedCamera(RunLoop& loop, std::function<int()> deviceOrientation = nullptr,
                    int stillWidth = kStillWidth, int stillHeight = kStillHeight);
    ~SimulatedCamera() override;
    SimulatedCamera(const SimulatedCamera&) = delete;
    SimulatedCamera& operator=(const SimulatedCamera&) = delete;

    bool isSourceAvailable() const override { return true; }
    bool isCameraDeviceAvailable(Device) const override { return true; }
    bool isFlashAvailable(Device) const override { return true; }
    Device cameraDevice() const override { return device_; }
    void setCameraDevice(Device device) override { device_ = device; }
    FlashMode flashMode() const override { return flash_; }
    void setFlashMode(FlashMode mode) override { flash_ = mode; }
    void takePicture(PictureHandler handler) override;
    // While kept, a frame at every tick of the frame clock: its scene, drawn
    // at full size only when chosen; its bytes count as a 4:2:0 sensor's.
    void keepRecentFrames(std::optional<FrameRing::Budget> budget, bool sharpness) override;
    bool keepsRecentFrames() const override { return ring_ != nullptr; }
    void takeStill(const StillChoice& choice, StillHandler handler) override;
    const FrameRing* recentFrames() const { return ring_.get(); }
    Image previewFrame() const override;
    // The scene moves on at every frame of the frame clock (the loop's time).
    void setFrameObserver(std::function<void()> observer) override;
    Size previewShape() const override;
    void setPreviewScale(double scale) override { previewScale_ = scale; }
    double previewScale() const override { return previewScale_; }
    void setPreviewTranslation(Point offset) override { previewTranslation_ = offset; }
    Point previewTranslation() const override { return previewTranslation_; }
    int mountRotation() const override { return mountRotation_; }
    void setPreviewOrientation(int screenTurn, bool mirrored) override {
        screenTurn_ = screenTurn;
        mirrored_ = mirrored;
    }
    // A camera mounted otherwise (--camera-rotation): 0, 90, 180 or 270.
    void setMountRotation(int rotation) { mountRotation_ = rotation; }

    // Moves the ball by a fraction of the picture's width.
    void moveObject(double fraction) { objectPosition_ += fraction; }
    void setScene(Scene scene) { scene_ = scene; }
    // A photograph the camera sees instead of its drawn scene (upright,
    // covering the frame, centred); none: the drawn scene again.
    void setPicture(const Image& picture);
    Scene scene() const { return scene_; }
    int picturesTaken() const { return picturesTaken_; }

    // The scene at the loop's current time, `width` × `height`, stored upright.
    Image render(int width, int height) const;
    // The scene of `moment`, as render() below draws it. Any thread.
    static Image render(const SceneMoment& moment, int width, int height, int orientation);
    SceneMoment sceneNow() const;
    // The scene drawn into a `width` × `height` bitmap carrying `orientation`
    // (up, down, left or right), so that it shows the scene upright.
    Image render(int width, int height, int orientation) const;
    // A still stored as the sensor lies, carrying `orientation`: upright it
    // shows the scene the right way up.
    Image still(int orientation) const;
    // The image orientation value of a still for a device orientation, with
    // the sensor mounted at `mount`.
    static int orientationFor(int deviceOrientation, int mount = kMountRotation);

private:
    class KeptFrame;
    // The frame clock runs while someone is told of frames or frames are kept.
    void updateFrameClock();
    void frameTick();
    int stillOrientation() const;

    RunLoop* loop_;
    std::function<int()> deviceOrientation_;
    int stillWidth_;
    int stillHeight_;
    Device device_ = Device::kRear;
    FlashMode flash_ = FlashMode::kOff;
    double previewScale_ = 1.0;
    Point previewTranslation_{};
    int mountRotation_ = kMountRotation;
    int screenTurn_ = 0;
    bool mirrored_ = false;
    double objectPosition_ = 0.3;
    Scene scene_ = Scene::kStill;
    std::shared_ptr<const Image> picture_;
    int picturesTaken_ = 0;
    std::function<void()> frameObserver_;
    RunLoop::TimerId frameClock_ = 0;
    std::unique_ptr<FrameRing> ring_;
    bool ringSharpness_ = false;
};

}  // namespace kestrel
