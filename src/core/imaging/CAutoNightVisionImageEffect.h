#pragma once

#include "core/imaging/CYImageEffect.h"

#include <array>
#include <cstdint>

namespace kestrel {

// Night vision: an automatic contrast stretch of the luminance into grey. The
// darkest luma that occurs becomes black, the brightest 0.5 % of the pixels
// white, linearly in between. A picture of one uniform luma, which has no
// stretch, maps that luma to white (0 below it, 255 from it on).
class CAutoNightVisionImageEffect final : public CYImageEffect {
public:
    void SetInput(std::uint8_t* data, std::uint32_t width, std::uint32_t height,
                  std::size_t bytesPerRow) override;

    int low() const { return low_; }
    int high() const { return high_; }
    const std::array<std::uint8_t, 256>& map() const { return map_; }

protected:
    int ProcessSelf() override;

private:
    // Where the exact count may begin (-1: count everything).
    int sampleCut() const;
    // The histogram from `cut` up, and low_.
    void countTop(int cut);
    // The whole histogram, and low_.
    void countAll();
    // high_ from the histogram's counts from `from` up; false when they hold
    // too few pixels to tell.
    bool findHigh(int from);
    void buildMap();
    void applyMap();

    std::array<std::uint8_t, 256> map_{};
    std::array<std::int64_t, 256> histogram_{};  // exact from the cut up
    int low_ = 0;
    int high_ = 0;
};

}  // namespace kestrel
