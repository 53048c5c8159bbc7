#include "core/imaging/CAutoNightVisionImageEffect.h"

#include "core/imaging/UColorSpace.h"

namespace kestrel {

void CAutoNightVisionImageEffect::SetInput(std::uint8_t* data, std::uint32_t width,
                                           std::uint32_t height, std::size_t bytesPerRow) {
    CYImageEffect::SetInput(data, width, height, bytesPerRow);
    histogram_.fill(0);
    map_.fill(0);
    low_ = high_ = 0;
}

int CAutoNightVisionImageEffect::ProcessSelf() {
    buildHistogram();
    findThresholds();
    buildMap();
    applyMap();
    return 1;
}

void CAutoNightVisionImageEffect::buildHistogram() {
    histogram_.fill(0);
    const UColorSpace::Tables& t = UColorSpace::tables();
    for (std::uint32_t y = 0; y < height_; ++y) {
        const std::uint8_t* p = data_ + y * bytesPerRow_;
        for (std::uint32_t x = 0; x < width_; ++x, p += 4)
            ++histogram_[t.clip((t.sRedCy[p[2]] + t.sGreenCy[p[1]] + t.sBlueCy[p[0]] + 4096) >> 8)];
    }
}

void CAutoNightVisionImageEffect::findThresholds() {
    low_ = 0;
    while (low_ < 255 && histogram_[static_cast<std::size_t>(low_)] == 0) ++low_;
    // The brightest 0.5 % of the pixels lie above `high`.
    const std::int64_t brightest = static_cast<std::int64_t>(width_) * height_ / 200;
    std::int64_t sum = 0;
    high_ = 235;
    for (int j = 235; j >= 0; --j) {
        sum += histogram_[static_cast<std::size_t>(j)];
        if (sum > brightest) {
            high_ = j;
            break;
        }
    }
}

void CAutoNightVisionImageEffect::buildMap() {
    for (int j = 0; j < 256; ++j) {
        int value = 0;
        if (j < low_)
            value = 0;
        else if (j > high_)
            value = 255;
        else if (high_ == low_)
            value = 255;  // one uniform luma: no stretch to make
        else
            value = (j - low_) * 255 / (high_ - low_);
        map_[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(value);
    }
}

void CAutoNightVisionImageEffect::applyMap() {
    const UColorSpace::Tables& t = UColorSpace::tables();
    for (std::uint32_t y = 0; y < height_; ++y) {
        std::uint8_t* p = data_ + y * bytesPerRow_;
        for (std::uint32_t x = 0; x < width_; ++x, p += 4) {
            const std::uint8_t grey =
                map_[t.clip((t.sRedCy[p[2]] + t.sGreenCy[p[1]] + t.sBlueCy[p[0]] + 4096) >> 8)];
            p[0] = p[1] = p[2] = grey;
        }
    }
}

}  // namespace kestrel
