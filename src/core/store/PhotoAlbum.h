#pragma once

#include "core/imaging/Image.h"

#include <functional>

namespace kestrel {

// The device's saved-photos album: stores a picture as the platform's own
// camera does and reports on the main run loop whether it did.
class PhotoAlbum {
public:
    using Completion = std::function<void(bool saved)>;
    virtual ~PhotoAlbum() = default;
    virtual void writeImageToSavedPhotosAlbum(const Image& image, Completion completion) = 0;
};

}  // namespace kestrel
