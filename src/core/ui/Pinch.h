#pragma once

namespace kestrel {

class View;

// Two fingers moving apart or together, as the window's touch sequence
// reports them: the view the gesture began in (where the first finger
// landed) and how far apart the fingers are now against when the second
// landed (1 at the start, 2 when twice as far apart).
struct Pinch {
    View* view = nullptr;
    double scale = 1;
};

}  // namespace kestrel
