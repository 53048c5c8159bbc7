#include "core/library/TouchImageView.h"

#include "core/platform/NotificationCenter.h"

#include <cmath>

namespace kestrel {

void TouchImageView::touchesBegan(const std::vector<Touch>& touches) {
    if (scale_ == 0.0f) scale_ = 1.0f;
    if (superview()) superview()->bringSubviewToFront(this);
    NotificationCenter::defaultCenter().postNotificationName(kFocusNotification, this);
    for (const Touch& touch : touches) {
        if (touch.tapCount > 1) return;
        if (!firstTouch_) {
            firstTouch_ = touch.id;
            firstStart_ = touch.location;
        } else if (!secondTouch_ && touch.id != *firstTouch_) {
            secondTouch_ = touch.id;
            secondStart_ = touch.location;
        }
    }
}

void TouchImageView::touchesMoved(const std::vector<Touch>& touches) {
    if (!firstTouch_) return;
    Point p1 = firstStart_;
    Point p2 = secondStart_;
    bool firstMoved = false;
    for (const Touch& touch : touches) {
        if (touch.id == *firstTouch_) {
            p1 = touch.location;
            firstMoved = true;
        } else if (secondTouch_ && touch.id == *secondTouch_) {
            p2 = touch.location;
        }
    }
    if (!secondTouch_) {
        if (firstMoved) moveTo(p1);
        return;
    }
    scaleTo(p1, p2);
}

void TouchImageView::moveTo(Point location) {
    const Point c = center();
    setCenter(Point{c.x + location.x - firstStart_.x, c.y + location.y - firstStart_.y});
}

float TouchImageView::distanceBetween(Point a, Point b) { return std::hypot(b.x - a.x, b.y - a.y); }

float TouchImageView::angleBetween(Point a, Point b) { return std::atan2(b.y - a.y, b.x - a.x); }

void TouchImageView::scaleTo(Point p1, Point p2) {
    const float startDistance = distanceBetween(firstStart_, secondStart_);
    if (startDistance > 0) scale_ *= distanceBetween(p1, p2) / startDistance;
    rotate_ += angleBetween(p1, p2) - angleBetween(firstStart_, secondStart_);
    setTransform(Transform{rotate_, scale_, scale_});
    const Point c = center();
    const float dx = (p1.x + p2.x) / 2 - (firstStart_.x + secondStart_.x) / 2;
    const float dy = (p1.y + p2.y) / 2 - (firstStart_.y + secondStart_.y) / 2;
    setCenter(Point{c.x + dx, c.y + dy});
}

}  // namespace kestrel
