#pragma once

#include "core/base/Geometry.h"
#include "core/base/Image.h"

namespace kestrel {

// Small geometric jobs in top-left coordinates: windows cut out of a picture
// and the square images of a saved photo.
class ImageUtils {
public:
    // The w × h window of the upright picture whose top-left corner is (x, y);
    // parts outside the picture are black.
    static Image drawRect(Rect rect, const Image& image);
    // Exactly `size`, filled by the centred picture (aspect fill).
    static Image drawPosterImage(const Image& image, Size size);
};

}  // namespace kestrel
