#include "core/ui/Button.h"

#include "core/ui/AnimationBlock.h"

#include <numbers>

namespace kestrel {

std::size_t Button::slot(State state) {
    switch (state) {
        case kHighlighted:
            return 1;
        case kDisabled:
            return 2;
        case kSelected:
            return 3;
        default:
            return 0;
    }
}

void Button::setEnabled(bool enabled) {
    enabled_ = enabled;
    noteChange("enabled");
}

void Button::setSelected(bool selected) {
    selected_ = selected;
    noteChange("selected");
}

void Button::setImage(const std::string& name, State state) {
    images_[slot(state)] = name;
    noteChange("image");
}

const std::string& Button::image(State state) const { return images_[slot(state)]; }

const std::string& Button::currentImage() const {
    const std::string& chosen = !enabled_   ? image(kDisabled)
                                : selected_ ? image(kSelected)
                                            : image(kNormal);
    return chosen.empty() ? image(kNormal) : chosen;
}

void Button::touchesEnded(const Touch& touch) {
    const Point p = touch.locationIn(*this);
    if (p.x >= 0 && p.y >= 0 && p.x < frame().width && p.y < frame().height) press();
}

bool Button::press() {
    if (!enabled_ || hidden() || !action_) return false;
    action_(*this);
    return true;
}

void ImageButton::setImage(const std::string& name) {
    for (State state : {kNormal, kSelected, kHighlighted, kDisabled})
        setImage(name, state);
}

void ImageButton::setImage(const std::string& name, State state) {
    backgroundView_ = nullptr;
    imageView_ = nullptr;
    Button::setImage(name, state);
}

void ImageButton::parseView(View& view, View* superview, int level) {
    recognizeView(view, superview);
    for (const auto& child : view.subviews())
        parseView(*child, &view, level + 1);
}

View* ImageButton::viewIsType(View& view, const std::string& type, View* superview) {
    if (superview && view.superview() != superview) return nullptr;
    return view.typeName().find(type) != std::string::npos ? &view : nullptr;
}

void ImageButton::recognizeView(View& view, View* superview) {
    if (superview != this || view.superview() != this) return;
    if (!viewIsType(view, "ImageView", this)) return;
    if (!backgroundView_) {
        backgroundView_ = &view;
    } else if (!imageView_) {
        imageView_ = &view;
    }
}

void ImageButton::adjust(int orientation) {
    if (!imageView_) return;
    const double pi = static_cast<float>(std::numbers::pi);
    AnimationBlock* block = AnimationBlock::animation();
    const bool started = block && block->start(imageView_, true, 1);
    switch (orientation) {
        case 1:
            imageView_->setTransform(View::Transform::rotated(0));
            break;
        case 2:
            imageView_->setTransform(View::Transform::rotated(pi));
            break;
        case 3:
            imageView_->setTransform(View::Transform::rotated(pi / 2));
            break;
        case 4:
            imageView_->setTransform(View::Transform::rotated(3 * pi / 2));
            break;
        default:
            break;
    }
    if (block) block->end(imageView_, started);
}

}  // namespace kestrel
