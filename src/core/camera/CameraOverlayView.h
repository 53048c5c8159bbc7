#pragma once

#include "core/base/Image.h"
#include "core/ui/View.h"

#include <functional>

namespace kestrel {

class CameraControllerHelper;

// The drawing layer over the live picture (320 × 427 on a 320 × 480 screen):
// darkens everything outside the part of the camera's frame the photo keeps
// (the chosen ratio, turned to the frame's shape as the photo's crop is) and
// draws a rule-of-thirds grid in it, from the effective ratio, tilt and grid
// settings. Nothing at all without the border. The frame is shown whole,
// fitted into the view (shownRect), so what is left undarkened is exactly
// what the photo holds.
class CameraOverlayView : public View {
public:
    static constexpr float kWidth = 320;
    static constexpr float kHeight = 427;

    explicit CameraOverlayView(Rect frame = Rect{0, 0, kWidth, kHeight}) : View(frame) {}

    bool showBorder() const { return showBorder_; }
    void setShowBorder(bool show) { showBorder_ = show; }  // no redraw asked
    bool showGrid() const { return showGrid_; }
    void setShowGrid(bool show) { showGrid_ = show; }
    float zoom() const { return zoom_; }
    void setZoom(float zoom);

    Drawing draw() const override;

    // The shape of the camera's live frames as shown (none: the view's own).
    void setFrameShape(std::function<Size()> shape) { frameShape_ = std::move(shape); }
    // Where a frame of `frame`'s shape is shown in an area of size `area`:
    // fitted whole, centred, its edges on whole points (a frame within a
    // point of the area's shape fills it). A frame of no size fills the area.
    static Rect shownRect(Size area, Size frame);
    // The part of the shown frame the photo keeps, unrounded, in this view.
    Rect keptRect() const;

    // Touches on the picture go on to the camera controller: its next responder.
    void setHelper(CameraControllerHelper* helper) { helper_ = helper; }
    CameraControllerHelper* helper() const { return helper_; }
    Responder* nextResponder() const override;

    // Whole part of x + 0.5; whole part of x, plus 0.5.
    static float round(double x);
    static float round05(double x);

private:
    // Where the camera's frame lies in this view, and the part of it kept.
    Rect shownFrame() const;
    Rect keptRect(const Rect& shown) const;

    std::function<Size()> frameShape_;
    bool showBorder_ = false;
    bool showGrid_ = false;
    mutable float zoom_ = 0;
    CameraControllerHelper* helper_ = nullptr;  // 0 reads as 1, and is written back as 1 on the first draw
};

}  // namespace kestrel
