#pragma once

#include "core/imaging/Image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel {

// Decides whether something moved in front of the camera by comparing the
// luma of each snapshot with the previous one: a pixel counts as changed when
// its luma moved by more than 24 levels. Main thread.
class MotionDetector {
public:
    static constexpr int kChangeStep = 24;

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

private:
    std::vector<std::uint8_t> previousData_;
    unsigned previousWidth_ = 0;
    unsigned previousHeight_ = 0;
};

}  // namespace kestrel
