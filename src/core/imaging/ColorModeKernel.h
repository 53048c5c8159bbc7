#pragma once

#include "core/base/Bitmap.h"
#include "core/base/Geometry.h"

namespace kestrel {

// The colour modes 1–8 as integer per-pixel passes. Each gives, pixel for
// pixel, what drawing the picture onto black with the mode's blend mode and
// then filling with its colour under its second blend mode gives:
//   1 grey (luminosity), 2 sepia, 4 red tint, 5 cyan tint (luminosity, then
//   color fill), 3 hard light onto black, 6 red channel and 7 green and blue
//   channels (multiply fill), 8 negative (difference with white).
// The fourth byte of each pixel is left as it is.
class ColorModeKernel {
public:
    // Whether `colorMode` is one this kernel applies (1–8).
    static bool handles(int colorMode) { return colorMode >= 1 && colorMode <= 8; }
    // Applies the mode to the pixels of `region` (clipped to the bitmap).
    static void apply(Bitmap& bitmap, PixelRect region, int colorMode);
};

}  // namespace kestrel
