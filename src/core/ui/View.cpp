#include "core/ui/View.h"

#include "core/ui/AnimationBlock.h"

#include <algorithm>

namespace kestrel {

View::View(Rect frame) : frame_(frame) {}

View::~View() {
    for (auto& child : subviews_)
        child->superview_ = nullptr;
}

void View::noteChange(const char* property) { AnimationBlock::noteChange(this, property); }

void View::setFrame(Rect frame) {
    frame_ = frame;
    noteChange("frame");
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
}

void View::removeFromSuperview() {
    if (!superview_) return;
    auto& siblings = superview_->subviews_;
    superview_ = nullptr;
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
}

}  // namespace kestrel
