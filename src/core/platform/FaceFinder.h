#pragma once

#include "core/base/Geometry.h"
#include "core/base/Image.h"

#include <string>
#include <vector>

namespace kestrel {

// A face in a picture: where it lies (in the picture's upright pixels),
// whether it smiles, and whether it looks at the camera (turned to it, not
// seen from the side).
struct FoundFace {
    Rect box;
    bool smiling = false;
    bool lookingAtCamera = false;
};

// The platform's face finder. findFaces is slow (tens of milliseconds on a
// 640 × 480 frame): callers run it off the main loop, one call at a time.
class FaceFinder {
public:
    virtual ~FaceFinder() = default;
    // The faces in `picture`, upright as its orientation says; none in an
    // empty picture.
    virtual std::vector<FoundFace> findFaces(const Image& picture) = 0;
    // Why the finder has stopped finding for good (its model could not be
    // read, say), once a findFaces has found out; empty while it works.
    // Asked on the thread that calls findFaces, after it.
    virtual std::string failure() const { return {}; }
};

}  // namespace kestrel
