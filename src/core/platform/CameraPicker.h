#pragma once

#include "core/base/Geometry.h"
#include "core/base/Image.h"
#include "core/platform/FrameRing.h"
#include "core/platform/RunLoop.h"

#include <functional>
#include <optional>

namespace kestrel {

// The platform's camera: availability of the source, the front and back
// devices and their flash; the chosen device and flash mode; still capture,
// the result delivered later on the main run loop; the current preview frame
// (what the user sees, for snapshots); the preview's digital-zoom scale.
class CameraPicker {
public:
    enum class Device { kRear = 0, kFront = 1 };
    enum class FlashMode { kOff = -1, kAuto = 0, kOn = 1 };
    using PictureHandler = std::function<void(const Image& picture)>;

    virtual ~CameraPicker() = default;

    virtual bool isSourceAvailable() const = 0;
    // The camera is on its way (a pipeline started, its first frame not yet
    // come): not available yet, and not missing either.
    virtual bool isStarting() const { return false; }
    virtual bool isCameraDeviceAvailable(Device device) const = 0;
    virtual bool isFlashAvailable(Device device) const = 0;
    virtual Device cameraDevice() const = 0;
    virtual void setCameraDevice(Device device) = 0;
    virtual FlashMode flashMode() const = 0;
    virtual void setFlashMode(FlashMode mode) = 0;

    virtual void takePicture(PictureHandler handler) = 0;

    // Which frame a still is: the next one the camera delivers (a picture
    // asked for now), the kept frame nearest a moment just past, or the
    // sharpest kept frame of a window of moments.
    struct StillChoice {
        enum class Rule { kNext, kNearest, kSharpest };
        Rule rule = Rule::kNext;
        RunLoop::Duration moment{};  // kNearest
        RunLoop::Duration from{};    // kSharpest: the window
        RunLoop::Duration to{};
    };
    // A still, and the time of its frame on the run loop's clock (none when
    // the camera cannot tell).
    using StillHandler =
        std::function<void(const Image& picture, std::optional<RunLoop::Duration> frameTime)>;
    // While `budget` is set the camera keeps its latest full-size frames, as
    // they come, within it; with `sharpness` it also measures each live
    // frame's sharpness for them. None stops that and lets them go. A camera
    // that cannot keep frames ignores it: its stills are the next frame.
    virtual void keepRecentFrames(std::optional<FrameRing::Budget> budget, bool sharpness) {
        (void)budget;
        (void)sharpness;
    }
    // Whether frames are being kept.
    virtual bool keepsRecentFrames() const { return false; }
    // The still `choice` names, delivered on the loop as takePicture
    // delivers; a choice the kept frames cannot answer (none kept, none in
    // the window) is the next frame.
    virtual void takeStill(const StillChoice& choice, StillHandler handler) {
        (void)choice;
        takePicture([handler = std::move(handler)](const Image& picture) {
            handler(picture, std::nullopt);
        });
    }
    virtual Image previewFrame() const = 0;
    // Told on the loop's thread when a new live frame is ready, for the live
    // view to draw it (at most once for frames that come faster than the
    // loop takes them); none: no one is told, and a camera need not keep
    // its frame clock running for no one. A camera that never tells has a
    // live view that is drawn only when something else changes.
    virtual void setFrameObserver(std::function<void()> observer) { (void)observer; }
    // The upright size of the live view's frames, for their shape; none
    // before the first frame.
    virtual Size previewShape() const { return previewFrame().size(); }
    virtual void setPreviewScale(double scale) = 0;
    virtual double previewScale() const = 0;
    // A shift of the live preview in points (the anchored crop's preview).
    virtual void setPreviewTranslation(Point offset) = 0;
    virtual Point previewTranslation() const = 0;
    // The size in whole pixels the live view draws the preview at, covering
    // its area. A camera that can scale its frames need not hand over much
    // more than that; others ignore it.
    virtual void setPreviewPixels(int width, int height) {
        (void)width;
        (void)height;
    }

    // The clockwise quarter turns (0, 90, 180, 270) that make the chosen
    // camera's frames upright with the device in its natural orientation:
    // what the system reports of its mounting, 0 when nothing says.
    virtual int mountRotation() const { return 0; }
    // Whether the chosen camera faces the user: a front camera, or one that
    // sits outside or nowhere known (a webcam faces its user).
    virtual bool facesUser() const { return cameraDevice() == Device::kFront; }
    // How the live view's frames are shown in the window: previewFrame()
    // answers them turned by the mounting plus `screenTurn` (the clockwise
    // turn of the window's coordinates, for a shell that turns the screen),
    // then mirrored left to right when `mirrored`. Stills are the stored
    // frames as the sensor gives them, whatever their orientation value:
    // the photo's orientation is the caller's.
    virtual void setPreviewOrientation(int screenTurn, bool mirrored) {
        (void)screenTurn;
        (void)mirrored;
    }
};

}  // namespace kestrel
