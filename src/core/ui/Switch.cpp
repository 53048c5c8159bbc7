#include "core/ui/Switch.h"

namespace kestrel {

void Switch::setOn(bool on) {
    if (on_ == on) return;
    on_ = on;
    noteChange("on");
    setNeedsDisplay();
}

void Switch::toggle() {
    setOn(!on_);
    if (action_) action_(*this);
}

void Switch::touchesEnded(const Touch&) { toggle(); }

}  // namespace kestrel
