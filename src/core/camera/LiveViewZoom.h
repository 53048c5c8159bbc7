#pragma once

#include "core/camera/CameraZoomView.h"
#include "core/camera/PinchZoom.h"
#include "core/platform/CameraPicker.h"

#include <functional>

namespace kestrel {

// The live view's digital zoom, 1–4×, and its read-out. A drag along the
// device's width as it is held zooms by its length, kMovementPerDoubling
// points doubling the zoom it began at; two fingers scale it as they spread;
// a double tap sets it back to 1×. The read-out shows from the touch on and fades once a drag, a double
// tap or a pinch has set the zoom. Without digital zoom in the settings none
// of it does anything. Main thread.
class LiveViewZoom {
public:
    static constexpr float kMovementPerDoubling = 80;

    // `controlOrientation` answers how the controls are turned now (1–4), so
    // that a drag zooms in towards the same edge of the device however it is held.
    LiveViewZoom(CameraPicker& picker, CameraZoomView& readout,
                 std::function<int()> controlOrientation);

    float factor() const { return zoom_; }
    // How far the drag under way has gone, in points along the zooming
    // direction; 0 without a drag.
    float movement(Point point) const;
    // The zoom held within 1–4× and applied.
    void zoomTo(double factor);
    // The zoom to the read-out and the live preview: scaled, or with tilt on
    // shifted for the ratio instead; without digital zoom back to 1×.
    void apply();
    // The live preview back to scale 1 (the zoom factor itself stays).
    void release() { picker_->setPreviewScale(1.0); }

    void dragBegan(Point point);
    void dragMoved(Point point);
    // A tap count of 2 sets the zoom back to 1×; the end of a drag zooms by it.
    void dragEnded(Point point, int tapCount);
    // The read-out goes as at the end of a drag; the zoom stays.
    void dragCancelled();
    // A drag under way counts no more (the camera screen went out of sight).
    void forgetDrag() { startPoint_ = Point{}; }

    // A cancelled pinch leaves the zoom where it got to.
    void pinchBegan();
    void pinchChanged(double scale);
    void pinchEnded(double scale);
    void pinchCancelled();

private:
    bool dragging() const { return startPoint_.x != 0 || startPoint_.y != 0; }
    void zoomByDrag(Point point);
    void showReadout();
    void fadeReadout();

    CameraPicker* picker_;
    CameraZoomView* readout_;
    std::function<int()> controlOrientation_;
    float zoom_ = 1.0f;
    float startZoom_ = 1.0f;
    Point startPoint_{};  // {0, 0}: no drag under way
    PinchZoom pinchZoom_;
    bool pinching_ = false;
};

}  // namespace kestrel
