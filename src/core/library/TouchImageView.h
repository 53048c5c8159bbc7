#pragma once

#include "core/ui/ImageView.h"

#include <optional>
#include <vector>

namespace kestrel {

// A picture the user moves with one finger and scales and turns with two.
// Positions are in the view's own coordinates, which move with it, so each
// step gives the absolute position, scale and angle without drift.
class TouchImageView : public ImageView {
public:
    static constexpr const char* kFocusNotification = "Focus";
    struct Touch {
        int id = 0;
        Point location;  // in the view's own coordinates
        int tapCount = 1;
    };

    using ImageView::ImageView;
    using ImageView::touchesBegan;
    using ImageView::touchesCancelled;
    using ImageView::touchesEnded;
    using ImageView::touchesMoved;

    void touchesBegan(const std::vector<Touch>& touches);
    void touchesMoved(const std::vector<Touch>& touches);
    void touchesEnded() {
        firstTouch_.reset();
        secondTouch_.reset();
    }
    void touchesCancelled() { touchesEnded(); }

    void moveTo(Point location);
    void scaleTo(Point p1, Point p2);
    static float distanceBetween(Point a, Point b);
    static float angleBetween(Point a, Point b);

    float scale() const { return scale_; }
    float rotation() const { return rotate_; }

protected:
    // Unlike a plain picture, it takes the touches it announces.
    bool takesTouchesByDefault() const override { return true; }

private:
    std::optional<int> firstTouch_;
    std::optional<int> secondTouch_;
    Point firstStart_{};
    Point secondStart_{};
    float rotate_ = 0;
    float scale_ = 1.0f;
};

}  // namespace kestrel
