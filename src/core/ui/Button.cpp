#include "core/ui/Button.h"

namespace kestrel {

std::size_t Button::slot(State state) {
    switch (state) {
    case kHighlighted: return 1;
    case kDisabled: return 2;
    case kSelected: return 3;
    default: return 0;
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
    const std::string& chosen = !enabled_ ? image(kDisabled) : selected_ ? image(kSelected) : image(kNormal);
    return chosen.empty() ? image(kNormal) : chosen;
}

bool Button::press() {
    if (!enabled_ || hidden() || !action_) return false;
    action_(*this);
    return true;
}

void ImageButton::setImage(const std::string& name) {
    for (State state : {kNormal, kSelected, kHighlighted, kDisabled}) Button::setImage(name, state);
}

}  // namespace kestrel
