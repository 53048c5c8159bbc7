#include "core/sensors/MotionDetector.h"

#include "core/imaging/ImageResizer.h"

#include <algorithm>

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
    std::size_t changed = 0;
    std::uint8_t* stored = previousData_.data();
    for (unsigned y = 0; y < height; ++y) {
        const std::uint8_t* p = pixels + y * bytesPerRow;
        for (unsigned x = 0; x < width; ++x, p += 4, ++stored) {
            const std::uint8_t value = luma(p);
            if (compareCb(value, *stored)) ++changed;
            *stored = value;
        }
    }
    const float threshold = movement;
    movement = static_cast<float>(changed) / static_cast<float>(count);
    return threshold < movement;
}

void MotionDetector::reset() {
    previousData_.clear();
    previousData_.shrink_to_fit();
    previousWidth_ = 0;
    previousHeight_ = 0;
}

}  // namespace kestrel
