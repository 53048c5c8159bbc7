#include "core/camera/PinchZoom.h"

#include <algorithm>

namespace kestrel {

void PinchZoom::begin(double zoom) {
    anchorZoom_ = std::clamp(zoom, kMinimum, kMaximum);
    anchorScale_ = 1.0;
}

double PinchZoom::zoomFor(double scale) {
    if (scale <= 0 || anchorScale_ <= 0) return anchorZoom_;
    const double wanted = anchorZoom_ * scale / anchorScale_;
    const double zoom = std::clamp(wanted, kMinimum, kMaximum);
    if (zoom != wanted) {
        // Past an end: from here on, the scale counts from this end.
        anchorZoom_ = zoom;
        anchorScale_ = scale;
    }
    return zoom;
}

}  // namespace kestrel
