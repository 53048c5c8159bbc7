#pragma once

#include "core/base/Image.h"

namespace kestrel {

// Brings a picture into its upright pixel layout as one plain working bitmap
// (rows of exactly 4 × width bytes). Pixels are copied, never interpolated.
class ImageResizer {
public:
    // An image of orientation 0 asked for at size 0 × 0 is answered itself,
    // untouched (no bitmap is made); anything else is a new upright image at
    // the picture's own upright size (Kestrel asks only for 0 × 0; another
    // size does not scale). The motion detector passes every frame through here.
    static Image colorMatch(const Image& image, Size size);
    // The core: the stored bitmap turned by `orientation` into a new bitmap.
    static Bitmap colorMatch(const Bitmap& bitmap, int orientation);
};

}  // namespace kestrel
