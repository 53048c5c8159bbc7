#include "core/imaging/Sharpness.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace kestrel {
namespace {

// Fine detail (a checkerboard of `tile` pixels), then averaged over a box of
// (2·radius + 1)² pixels: the blur that shake or motion leaves.
Bitmap detail(int radius, int tile) {
    const int size = 64;
    auto value = [&](int x, int y) { return ((x / tile + y / tile) % 2) ? 220 : 30; };
    Bitmap bitmap(size, size);
    for (int y = 0; y < size; ++y) {
        std::uint8_t* row = bitmap.row(y);
        for (int x = 0; x < size; ++x) {
            int sum = 0, count = 0;
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx) {
                    const int sx = x + dx, sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= size || sy >= size) continue;
                    sum += value(sx, sy);
                    ++count;
                }
            const auto v = static_cast<std::uint8_t>(sum / count);
            row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = v;
            row[4 * x + 3] = 255;
        }
    }
    return bitmap;
}

TEST(SharpnessTest, BlurLowersTheFigureStepByStep) {
    double previous = Sharpness::of(detail(0, 4));
    EXPECT_GT(previous, 1000.0);
    for (int radius = 1; radius <= 3; ++radius) {
        SCOPED_TRACE(radius);
        const double blurred = Sharpness::of(detail(radius, 4));
        EXPECT_LT(blurred, previous);
        previous = blurred;
    }
}

TEST(SharpnessTest, FlatAndTinyPicturesHaveNone) {
    Bitmap flat(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            for (int c = 0; c < 4; ++c) flat.row(y)[4 * x + c] = 128;
    EXPECT_EQ(Sharpness::of(flat), 0.0);
    EXPECT_EQ(Sharpness::of(Bitmap(2, 40)), 0.0);
}

}  // namespace
}  // namespace kestrel
