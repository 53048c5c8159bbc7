#include "core/ui/View.h"

#include "core/ui/AnimationBlock.h"
#include "core/ui/DisplayNeeds.h"

#include <algorithm>
#include <cmath>

namespace kestrel {

View::View(Rect frame) : frame_(frame) {}

View::~View() {
    for (auto& child : subviews_)
        child->superview_ = nullptr;
}

Point View::toSuperview(Point point) const {
    const double cx = frame_.width / 2.0;
    const double cy = frame_.height / 2.0;
    const double x = (point.x - cx) * transform_.scaleX;
    const double y = (point.y - cy) * transform_.scaleY;
    const double c = std::cos(transform_.rotation);
    const double s = std::sin(transform_.rotation);
    return Point{static_cast<float>(frame_.x + cx + x * c - y * s),
                 static_cast<float>(frame_.y + cy + x * s + y * c)};
}

Responder* View::nextResponder() const {
    if (viewController_) return viewController_;
    return superview_;
}

void View::noteChange(const char* property) {
    AnimationBlock::noteChange(this, property);
    DisplayNeeds::note();
}

void View::setNeedsDisplay() {
    ++displayGeneration_;
    DisplayNeeds::note();
}

void View::setFrame(Rect frame) {
    frame_ = frame;
    noteChange("frame");
}

void View::resizeWidth(float width) {
    const float change = width - frame_.width;
    if (change == 0) return;
    const float scale = frame_.width > 0 ? width / frame_.width : 1.0f;
    setFrame(Rect{frame_.x, frame_.y, width, frame_.height});
    for (const auto& child : subviews_) {
        Rect f = child->frame();
        switch (child->autoresizing_) {
            case Autoresizing::kNone:
                continue;
            case Autoresizing::kFlexibleWidth:
                child->resizeWidth(std::max(0.0f, f.width + change));
                continue;
            case Autoresizing::kFlexibleLeftMargin:
                f.x += change;
                break;
            case Autoresizing::kFlexibleMargins:
                f.x += change / 2;
                break;
            case Autoresizing::kProportional:
                child->resizeWidth(f.width * scale);
                f = child->frame();
                f.x *= scale;
                break;
        }
        child->setFrame(f);
    }
}

void View::setCenter(Point center) {
    frame_.x = center.x - frame_.width / 2;
    frame_.y = center.y - frame_.height / 2;
    noteChange("center");
}

void View::setTransform(Transform transform) {
    transform_ = transform;
    noteChange("transform");
}

void View::setAlpha(double alpha) {
    alpha_ = alpha;
    noteChange("alpha");
}

void View::setHidden(bool hidden) {
    hidden_ = hidden;
    noteChange("hidden");
}

void View::setBackgroundColor(std::optional<Color> color) {
    background_ = color;
    noteChange("backgroundColor");
}

void View::addSubview(const std::shared_ptr<View>& view) {
    if (!view || view.get() == this) return;
    const std::shared_ptr<View> keep = view;  // may be held only by its old parent
    keep->removeFromSuperview();
    keep->superview_ = this;
    subviews_.push_back(keep);
    DisplayNeeds::note();
}

void View::removeFromSuperview() {
    if (!superview_) return;
    auto& siblings = superview_->subviews_;
    superview_ = nullptr;
    DisplayNeeds::note();
    // The parent may hold the last reference: nothing of this view is
    // touched after the erase.
    std::erase_if(siblings,
                  [self = this](const std::shared_ptr<View>& v) { return v.get() == self; });
}

void View::bringSubviewToFront(View* view) {
    auto it = std::find_if(subviews_.begin(), subviews_.end(),
                           [view](const std::shared_ptr<View>& v) { return v.get() == view; });
    if (it == subviews_.end()) return;
    std::shared_ptr<View> moved = *it;
    subviews_.erase(it);
    subviews_.push_back(std::move(moved));
    DisplayNeeds::note();
}

}  // namespace kestrel
