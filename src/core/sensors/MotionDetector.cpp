#include "core/sensors/MotionDetector.h"

#include "core/imaging/ImageResizer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kestrel {

std::uint8_t MotionDetector::luma(const std::uint8_t* bgr) {
    const int y = (66 * bgr[2] + 129 * bgr[1] + 25 * bgr[0] + 4096) >> 8;
    return static_cast<std::uint8_t>(std::clamp(y, 0, 255));
}

bool MotionDetector::motion(const Image& image, float& movement) {
    if (!image) return false;
    // Upright, in the working layout: every snapshot is a 32-bit BGRX bitmap,
    // so the pixels are always read as 4-byte pixels within its own rows.
    const Image upright = ImageResizer::colorMatch(image, Size{0, 0});
    const Bitmap& bitmap = upright.bitmap();
    const auto width = static_cast<unsigned>(bitmap.width());
    const auto height = static_cast<unsigned>(bitmap.height());
    if (width == 0 || height == 0) return false;
    if (isBlack(bitmap.data(), width, height, bitmap.bytesPerRow())) return false;
    return compare(bitmap.data(), width, height, bitmap.bytesPerRow(), movement);
}

bool MotionDetector::isBlack(const std::uint8_t* pixels, unsigned width, unsigned height,
                             std::size_t bytesPerRow) {
    for (unsigned y = 0; y < height; ++y) {
        const std::uint8_t* p = pixels + y * bytesPerRow;
        for (unsigned x = 0; x < width; ++x, p += 4)
            if (p[0] > 32 || p[1] > 32 || p[2] > 32) return false;
    }
    return true;
}

bool MotionDetector::compare(const std::uint8_t* pixels, unsigned width, unsigned height,
                             std::size_t bytesPerRow, float& movement) {
    const std::size_t count = static_cast<std::size_t>(width) * height;
    if (previousData_.empty() || previousWidth_ != width || previousHeight_ != height) {
        reset();
        previousData_.resize(count);
        std::uint8_t* out = previousData_.data();
        for (unsigned y = 0; y < height; ++y) {
            const std::uint8_t* p = pixels + y * bytesPerRow;
            for (unsigned x = 0; x < width; ++x, p += 4)
                *out++ = luma(p);
        }
        previousWidth_ = width;
        previousHeight_ = height;
        movement = 0;
        return false;
    }
    ++comparisons_;
    std::size_t changed = 0;
    if (ignoreLight_) {
        changed = changedIgnoringLight(pixels, width, height, bytesPerRow);
    } else {
        std::uint8_t* stored = previousData_.data();
        for (unsigned y = 0; y < height; ++y) {
            const std::uint8_t* p = pixels + y * bytesPerRow;
            for (unsigned x = 0; x < width; ++x, p += 4, ++stored) {
                const std::uint8_t value = luma(p);
                if (compareCb(value, *stored)) ++changed;
                *stored = value;
            }
        }
    }
    const float threshold = movement;
    movement = static_cast<float>(changed) / static_cast<float>(count);
    return threshold < movement;
}

std::size_t MotionDetector::changedIgnoringLight(const std::uint8_t* pixels, unsigned width,
                                                 unsigned height, std::size_t bytesPerRow) {
    const std::size_t count = static_cast<std::size_t>(width) * height;
    current_.resize(count);
    std::uint64_t sum = 0;
    std::uint64_t previousSum = 0;
    std::uint8_t* out = current_.data();
    for (unsigned y = 0; y < height; ++y) {
        const std::uint8_t* p = pixels + y * bytesPerRow;
        for (unsigned x = 0; x < width; ++x, p += 4) {
            *out = luma(p);
            sum += *out++;
        }
    }
    for (const std::uint8_t value : previousData_)
        previousSum += value;
    // The whole frame brighter or darker (a lamp, the sun, the exposure):
    // bring this snapshot to the reference's brightness before comparing.
    // Light scales what lies above the luma's black level (16).
    const double n = static_cast<double>(count);
    const double above = static_cast<double>(sum) / n - kBlackLevel;
    const double previousAbove = static_cast<double>(previousSum) / n - kBlackLevel;
    const double gain = above > 1 && previousAbove > 1 ? previousAbove / above : 1.0;
    std::size_t changed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const long scaled = std::lround((current_[i] - kBlackLevel) * gain + kBlackLevel);
        const auto value = static_cast<std::uint8_t>(std::clamp(scaled, 0L, 255L));
        if (compareCb(value, previousData_[i])) ++changed;
    }
    // The new brightness is the reference from now on.
    previousData_.swap(current_);
    // What changes nearly every pixel even so is the light, not something
    // in front of the lens.
    if (static_cast<double>(changed) >= kWholeFrame * static_cast<double>(count)) {
        lightChanges_++;
        return 0;
    }
    return changed;
}

void MotionDetector::reset() {
    previousData_.clear();
    previousData_.shrink_to_fit();
    current_.clear();
    current_.shrink_to_fit();
    previousWidth_ = 0;
    previousHeight_ = 0;
}

}  // namespace kestrel
