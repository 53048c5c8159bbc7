#pragma once

#include "core/base/Bitmap.h"
#include "core/base/Geometry.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kestrel {

// Decodes only part of a JPEG: the rows and columns of a region of the
// stored picture, the columns rounded out to whole blocks (libjpeg-turbo's
// cropped decoding), the rows above skipped without colour conversion and
// the rows below never read. The region's pixels are those of a whole
// decode, except in the outermost column on either side of a cut (chroma
// upsampling there sees no neighbour). Any thread.
//
// The bitmap has the whole stored picture's size, so that the region is
// drawn exactly as the whole picture would be; outside the region it is
// black, and since a large bitmap starts as fresh zero pages, the part never
// written costs address space but no memory or time.
class JpegRegionDecoder {
public:
    struct Region {
        Bitmap bitmap;     // the stored picture's size
        PixelRect stored;  // the decoded part
    };
    // `wanted` is clipped to the picture; none (cause in `error`) when the
    // file cannot be decoded or nothing of the picture is wanted.
    static std::optional<Region> decode(std::span<const std::uint8_t> jpeg, PixelRect wanted,
                                        std::string* error = nullptr);
};

}  // namespace kestrel
