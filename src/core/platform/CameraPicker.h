#pragma once

#include "core/imaging/Geometry.h"
#include "core/imaging/Image.h"

#include <functional>

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
