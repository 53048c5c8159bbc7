#pragma once

#include "core/base/Image.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrel {

// JPEG in and out over libturbojpeg, straight to and from the working layout.
//
// Decoding is strict: a truncated or corrupt file is an error, never half a
// picture. The file's EXIF Orientation tag (1–8) becomes the image's
// orientation value. Each call uses its own codec handle: any thread.
class JpegCodec {
public:
    // Pictures larger than this many pixels are refused rather than allocated.
    static constexpr std::uint64_t kMaxPixels = 1ull << 28;

    // scaleDenominator 1, 2, 4 or 8: the DCT-scaled decode, each side divided
    // by it and rounded up.
    static std::optional<Image> decode(std::span<const std::uint8_t> jpeg, int scaleDenominator = 1,
                                       std::string* error = nullptr);
    // The largest DCT scaling (1/8 at most) that still leaves the picture at
    // least minWidth × minHeight in its stored layout.
    static std::optional<Image> decodeAtLeast(std::span<const std::uint8_t> jpeg, int minWidth,
                                              int minHeight, std::string* error = nullptr);

    struct Header {
        int width = 0;
        int height = 0;
        int orientation = Image::kUp;
    };
    static std::optional<Header> readHeader(std::span<const std::uint8_t> jpeg,
                                            std::string* error = nullptr);

    // Quality 0–1 as the platform takes it (0.95 is libjpeg quality 95), with
    // 4:2:0 chroma subsampling and no metadata. A picture whose orientation is
    // not 0 is written upright. A large one is encoded on all cores, in bands
    // joined by restart markers (JpegBandEncoder): the same pixels.
    static std::optional<std::vector<std::uint8_t>> encode(const Image& image, double quality,
                                                           std::string* error = nullptr);

    // The orientation value of an EXIF Orientation tag: 1→0, 3→1, 8→2, 6→3,
    // 2→4, 4→5, 5→6, 7→7; anything else is 0 (up).
    static int orientationFromExif(int exifOrientation);
};

}  // namespace kestrel
