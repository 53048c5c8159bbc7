#pragma once

#include "core/imaging/Image.h"

#include <optional>
#include <string>

namespace kestrel {

// What the photo road needs to know to finish a picture: the effective
// settings of the moment, and the time stamp text when the stamp is on.
struct PhotoSettings {
    bool fullSizePhoto = true;
    int ratio = 0;         // aspect-ratio index, 0–28
    int modification = 0;  // effect index, 0–10 (10 is night vision)
    std::optional<std::string> timeStamp;
    bool tilt = false;

    bool modifiedImage() const { return modification != 0 || ratio != 0 || timeStamp.has_value(); }
};

// The standard processing of a final picture, as every mode handler and
// kestrel-cli run it: reduce to 640 × 480 unless full size is on; then, unless
// there is nothing to do, one drawing pass for the zoom, the ratio crop, the
// colour mode and the time stamp; then night vision for effect 10.
class PhotoProcessor {
public:
    static constexpr float kReducedWidth = 640;
    static constexpr float kReducedHeight = 480;
    static constexpr float kLineWidth = 8;
    static constexpr int kNightVision = 10;

    static Image processPhoto(Image image, float zoom, const PhotoSettings& settings);
    // The time stamp's font size for a picture: 4 % of its width (with tilt,
    // of the side the anchored crop keeps).
    static double timeStampFontSize(Size size, float ratio, bool tilt);
};

}  // namespace kestrel
