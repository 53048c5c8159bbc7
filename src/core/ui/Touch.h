#pragma once

#include "core/base/Geometry.h"

namespace kestrel {

class View;

// One finger (or mouse button) on the screen, as the window delivers it:
// the view it began in, where it is now in that view's own coordinates,
// and how many taps it counts (2 for the second tap of a double tap).
struct Touch {
    View* view = nullptr;
    Point location;
    int tapCount = 1;

    // The location in the coordinates of `view` or of one of the touched
    // view's ancestors (the views' frames, turns and scales applied on the
    // way up); unchanged for a view outside that chain.
    Point locationIn(const View& target) const;
};

}  // namespace kestrel
