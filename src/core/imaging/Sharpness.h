#pragma once

#include "core/base/Bitmap.h"

namespace kestrel {

// How sharp a picture is: the variance of the Laplacian of its luma (the
// 4-neighbour kernel on the video-range luma the motion detector reads, over the interior pixels). Shake and
// motion blur take the fine detail away, and with it the Laplacian's
// spread; a picture's figure is only compared with frames of the same scene
// from the same camera. Cheap enough for every live-view frame.
class Sharpness {
public:
    // 0 for a picture smaller than 3 × 3.
    static double of(const Bitmap& bitmap);
};

}  // namespace kestrel
