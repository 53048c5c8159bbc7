#include "core/imaging/CAutoNightVisionImageEffect.h"

#include "core/imaging/ParallelRows.h"
#include "core/imaging/UColorSpace.h"

#include <cstring>
#include <vector>

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

namespace {

using V4u = std::uint32_t __attribute__((vector_size(16)));

// The luma of the colour-space tables, (66 R + 129 G + 25 B + 4096) >> 8:
// for bytes it lies in 16..235, so the tables' clipping never applies and
// the sum is computed directly, four pixels at a time.
V4u luma4(V4u p) {
    return ((p >> 16 & 0xFFu) * 66u + (p >> 8 & 0xFFu) * 129u + (p & 0xFFu) * 25u + 4096u) >> 8;
}

// The lumas of a row of pixels, one byte each.
void lumaRow(const std::uint8_t* row, std::uint8_t* lumas, std::uint32_t count) {
    std::uint32_t x = 0;
    for (; x + 4 <= count; x += 4) {
        V4u block;
        std::memcpy(&block, row + x * 4, sizeof block);
        const V4u l = luma4(block);
        const std::uint32_t packed = l[0] | l[1] << 8 | l[2] << 16 | l[3] << 24;
        std::memcpy(lumas + x, &packed, 4);
    }
    for (; x < count; ++x) {
        const std::uint8_t* p = row + x * 4;
        lumas[x] = UColorSpace::luma(p[2], p[1], p[0]);
    }
}

}  // namespace

void CAutoNightVisionImageEffect::buildHistogram() {
    // Each band counts into its own four partial histograms (so that runs of
    // equal lumas do not wait on one counter) and keeps its lumas for the
    // second pass.
    using Counts = std::array<std::uint32_t, 256>;
    std::vector<std::array<Counts, 4>> partial(static_cast<std::size_t>(ParallelRows::bandCount()));
    // Not zeroed: every byte is written before it is read.
    lumas_.reset(new std::uint8_t[static_cast<std::size_t>(width_) * height_]);
    ParallelRows::run(static_cast<int>(height_), [&](int begin, int end, int band) {
        auto& h = partial[static_cast<std::size_t>(band)];
        for (auto& counts : h) counts.fill(0);
        for (auto y = static_cast<std::uint32_t>(begin); y < static_cast<std::uint32_t>(end); ++y) {
            std::uint8_t* row = lumas_.get() + static_cast<std::size_t>(y) * width_;
            lumaRow(data_ + y * bytesPerRow_, row, width_);
            std::uint32_t x = 0;
            for (; x + 4 <= width_; x += 4) {
                ++h[0][row[x]];
                ++h[1][row[x + 1]];
                ++h[2][row[x + 2]];
                ++h[3][row[x + 3]];
            }
            for (; x < width_; ++x) ++h[0][row[x]];
        }
    });
    histogram_.fill(0);
    for (const auto& h : partial)
        for (const Counts& counts : h)
            for (std::size_t j = 0; j < 256; ++j) histogram_[j] += counts[j];
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
    std::array<std::uint32_t, 256> grey{};
    for (std::size_t j = 0; j < 256; ++j) grey[j] = map_[j] * 0x010101u;
    ParallelRows::run(static_cast<int>(height_), [&](int begin, int end, int) {
        for (auto y = static_cast<std::uint32_t>(begin); y < static_cast<std::uint32_t>(end); ++y) {
            auto* pixels = reinterpret_cast<std::uint32_t*>(data_ + y * bytesPerRow_);
            const std::uint8_t* luma = lumas_.get() + static_cast<std::size_t>(y) * width_;
            for (std::uint32_t x = 0; x < width_; ++x)
                pixels[x] = (pixels[x] & 0xFF000000u) | grey[luma[x]];  // the fourth byte stays
        }
    });
    lumas_.reset();
}

}  // namespace kestrel
