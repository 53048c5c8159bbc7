#pragma once

#include "core/base/Image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel {

// Decides whether something moved in front of the camera by comparing the
// luma of each snapshot with the previous one: a pixel counts as changed when
// its luma moved by more than 24 levels. With "ignore light", a change of the
// whole frame's brightness (a lamp switched on, a cloud, the camera's
// exposure) is not motion: each snapshot is scaled to the reference's mean
// luma before the comparison, and a change of nearly every pixel counts as
// none; the new brightness becomes the reference. Main thread.
class MotionDetector {
public:
    static constexpr int kChangeStep = 24;
    // With ignore light: this share of changed pixels or more is a change of light.
    static constexpr double kWholeFrame = 0.9;
    static constexpr double kBlackLevel = 16;  // of the video-range luma

    void setIgnoreLight(bool ignore) { ignoreLight_ = ignore; }
    bool ignoreLight() const { return ignoreLight_; }
    // Comparisons that saw the light change rather than something move.
    long lightChanges() const { return lightChanges_; }

    // In: through `movement`, the threshold (a fraction of the picture). Out:
    // whether the changed fraction exceeds it; the fraction through
    // `movement` when a comparison (or a new reference) was made.
    bool motion(const Image& image, float& movement);
    bool compare(const std::uint8_t* pixels, unsigned width, unsigned height,
                 std::size_t bytesPerRow, float& movement);
    // No red, green or blue byte above 32.
    static bool isBlack(const std::uint8_t* pixels, unsigned width, unsigned height,
                        std::size_t bytesPerRow);
    static bool compareCb(std::uint8_t a, std::uint8_t b) {
        return (a > b ? a - b : b - a) > kChangeStep;
    }
    // The BT.601 video-range luma of a blue, green, red pixel.
    static std::uint8_t luma(const std::uint8_t* bgr);
    void reset();

    bool hasReference() const { return !previousData_.empty(); }
    // Snapshots compared with a reference so far (not the first, a black
    // one, or one of a new size): a caller can tell a measured figure from
    // a snapshot that was only taken in.
    long comparisons() const { return comparisons_; }

private:
    std::size_t changedIgnoringLight(const std::uint8_t* pixels, unsigned width, unsigned height,
                                     std::size_t bytesPerRow);

    std::vector<std::uint8_t> previousData_;
    std::vector<std::uint8_t> current_;  // the snapshot's luma, kept to avoid reallocating
    bool ignoreLight_ = false;
    long lightChanges_ = 0;
    long comparisons_ = 0;
    unsigned previousWidth_ = 0;
    unsigned previousHeight_ = 0;
};

}  // namespace kestrel
