#pragma once

#include "core/ui/View.h"

namespace kestrel {

// A translucent rounded panel: the bounds inset by one point, corner radius 5,
// grey `grayLevel` at alpha `transparency` (0.8 and 0.5 for the panels of the
// camera screen; 0 and 0 for a panel made plain in code).
class HoverView : public View {
public:
    static constexpr float kCornerRadius = 5;

    explicit HoverView(Rect frame = {}, float grayLevel = 0, float transparency = 0)
        : View(frame), grayLevel_(grayLevel), transparency_(transparency) {}

    float grayLevel() const { return grayLevel_; }
    float transparency() const { return transparency_; }
    void setGrayLevel(float grey) {
        grayLevel_ = grey;
        setNeedsDisplay();
    }
    void setTransparency(float alpha) {
        transparency_ = alpha;
        setNeedsDisplay();
    }
    Drawing draw() const override;

    // The panel shape: `bounds` inset by one point, rounded, in grey at alpha.
    static DrawingPrimitive roundedPanel(Rect bounds, float grey, float alpha);

protected:
    // A panel shows; touches go through it to what lies below.
    bool takesTouchesByDefault() const override { return false; }

private:
    float grayLevel_;
    float transparency_;
};

}  // namespace kestrel
