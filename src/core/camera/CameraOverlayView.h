#pragma once

#include "core/ui/View.h"

namespace kestrel {

class CameraControllerHelper;

// The drawing layer over the live picture (the picture area, 320 × 427 on
// the phone screen): darkens everything outside the chosen picture ratio and
// draws a rule-of-thirds grid, from the effective ratio, tilt and grid
// settings. Nothing at all without the border.
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

    // Touches on the picture go on to the camera controller: its next responder.
    void setHelper(CameraControllerHelper* helper) { helper_ = helper; }
    CameraControllerHelper* helper() const { return helper_; }
    Responder* nextResponder() const override;

    // Whole part of x + 0.5; whole part of x, plus 0.5.
    static float round(double x);
    static float round05(double x);

private:
    bool showBorder_ = false;
    bool showGrid_ = false;
    mutable float zoom_ = 0;
    CameraControllerHelper* helper_ = nullptr;  // 0 reads as 1, and is written back as 1 on the first draw
};

}  // namespace kestrel
