#include "core/ui/Touch.h"

#include "core/ui/View.h"

#include <cmath>

namespace kestrel {

Point Touch::locationIn(const View& target) const {
    Point p = location;
    for (const View* v = view; v; v = v->superview()) {
        if (v == &target) return p;
        p = v->toSuperview(p);
    }
    return location;
}

}  // namespace kestrel
