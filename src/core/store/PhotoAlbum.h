#pragma once

#include "core/base/Image.h"
#include "core/exif/PhotoOrigin.h"
#include "core/platform/GeoPosition.h"

#include <functional>
#include <optional>

namespace kestrel {

// The device's saved-photos album: stores a picture as the platform's own
// camera does and reports on the main run loop whether it did.
class PhotoAlbum {
public:
    using Completion = std::function<void(bool saved)>;
    virtual ~PhotoAlbum() = default;
    virtual void writeImageToSavedPhotosAlbum(const Image& image, Completion completion) = 0;
    // The same for a photo that is to carry tags of Kestrel's own: the GPS
    // tags of `position` (if any) and what `origin` records. An album that
    // writes the file itself puts them in before the photo's first write and
    // answers YES; one that cannot (the default) saves the photo as above and
    // answers NO, and the caller stamps the file it finds.
    virtual bool writeTaggedImage(const Image& image, const std::optional<GeoPosition>&, const PhotoOrigin&,
                                  Completion completion) {
        writeImageToSavedPhotosAlbum(image, std::move(completion));
        return false;
    }
};

}  // namespace kestrel
