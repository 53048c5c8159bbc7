#pragma once

#include "core/base/Image.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kestrel {

// What the photo road needs to know to finish a picture, as plain values:
// the effective settings of the moment, and the time stamp text when the
// stamp is on.
struct PhotoSettings {
    bool fullSizePhoto = true;
    float aspectRatio = 4.0f / 3.0f;  // the chosen ratio, width / height
    bool ratioChosen = false;         // a ratio other than the first (4 x 3) is chosen
    int modification = 0;             // effect index, 0–10 (10 is night vision)
    std::optional<std::string> timeStamp;
    bool tilt = false;

    bool modifiedImage() const { return modification != 0 || ratioChosen || timeStamp.has_value(); }
};

// The standard processing of a final picture, as every mode handler and
// kestrel-cli run it: reduce to fit 640 × 480, its shape kept, unless full
// size is on; then, unless
// there is nothing to do, one drawing pass for the zoom, the ratio crop, the
// colour mode and the time stamp; then night vision for effect 10.
class PhotoProcessor {
public:
    static constexpr float kReducedWidth = 640;
    static constexpr float kReducedHeight = 480;
    static constexpr float kLineWidth = 8;
    static constexpr int kNightVision = 10;

    static Image processPhoto(Image image, float zoom, const PhotoSettings& settings);
    // The same for a photo still held as a JPEG file's bytes, decoding no
    // more than the result needs: only the blocks that the ratio crop and the
    // zoom keep, or, when the photo is reduced, at a DCT scale. The picture
    // is the one processPhoto() makes of the whole decoded photo, within a
    // level per channel. `orientation` replaces the file's own when given.
    // None, with the cause in `error`, when the bytes cannot be decoded.
    static std::optional<Image> processJpeg(std::span<const std::uint8_t> jpeg, float zoom,
                                            const PhotoSettings& settings,
                                            std::optional<int> orientation = std::nullopt,
                                            std::string* error = nullptr);
    // The time stamp's font size for a picture: 4 % of its width (with tilt,
    // of the side the anchored crop keeps).
    static double timeStampFontSize(Size size, float ratio, bool tilt);
};

}  // namespace kestrel
