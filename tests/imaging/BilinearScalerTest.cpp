#include "core/imaging/BilinearScaler.h"
#include "support/SimdTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace kestrel {
namespace {

using Placement = BilinearScaler::Placement;
using Path = BilinearScaler::Path;

// Pixels with rows padded past their width (the padding filled with a mark
// no scaled pixel may show).
struct Pixels {
    int width;
    int height;
    std::size_t bytesPerRow;
    std::vector<std::uint8_t> bytes;

    Pixels(int w, int h, int padding = 3)
        : width(w),
          height(h),
          bytesPerRow(4 * static_cast<std::size_t>(w + padding)),
          bytes(bytesPerRow * static_cast<std::size_t>(h), 0xA5) {}
    std::size_t offset(int x, int y) const {
        return static_cast<std::size_t>(y) * bytesPerRow + 4 * static_cast<std::size_t>(x);
    }
    std::uint8_t* at(int x, int y) { return bytes.data() + offset(x, y); }
    const std::uint8_t* at(int x, int y) const { return bytes.data() + offset(x, y); }
    BilinearScaler::Source source() const { return {bytes.data(), bytesPerRow, width, height}; }
    BilinearScaler::Target target() { return {bytes.data(), bytesPerRow, width, height}; }
};

Pixels noise(int w, int h, unsigned seed) {
    Pixels p(w, h);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c)
                *(p.at(x, y) + c) = static_cast<std::uint8_t>(random());
    return p;
}

// The same sampling in floating point, to the nearest level.
int reference(const Pixels& source, const Placement& at, int x, int y, int channel) {
    auto position = [](int i, double origin, double extent, int size) {
        return std::clamp((i + 0.5 - origin) * size / extent - 0.5, 0.0, size - 1.0);
    };
    const double sx = position(x, at.x, at.width, source.width);
    const double sy = position(y, at.y, at.height, source.height);
    const int x0 = static_cast<int>(sx), y0 = static_cast<int>(sy);
    const int x1 = std::min(x0 + 1, source.width - 1), y1 = std::min(y0 + 1, source.height - 1);
    const double fx = sx - x0, fy = sy - y0;
    auto v = [&](int px, int py) { return static_cast<double>(*(source.at(px, py) + channel)); };
    const double top = v(x0, y0) * (1 - fx) + v(x1, y0) * fx;
    const double bottom = v(x0, y1) * (1 - fx) + v(x1, y1) * fx;
    return static_cast<int>(std::lround(top * (1 - fy) + bottom * fy));
}

// The largest difference from the reference in any colour channel; every
// fourth byte must be opaque and the row padding untouched.
int worstError(const Pixels& source, Pixels& target, const Placement& at) {
    int worst = 0;
    for (int y = 0; y < target.height; ++y) {
        for (int x = 0; x < target.width; ++x) {
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst,
                                 std::abs(*(target.at(x, y) + c) - reference(source, at, x, y, c)));
            EXPECT_EQ(*(target.at(x, y) + 3), 0xff) << x << "," << y;
        }
        for (std::size_t b = 4 * static_cast<std::size_t>(target.width); b < target.bytesPerRow;
             ++b)
            EXPECT_EQ(target.bytes[target.offset(0, y) + b], 0xA5) << "padding of row " << y;
    }
    return worst;
}

struct Case {
    std::string name;
    int sourceWidth, sourceHeight, targetWidth, targetHeight;
    Placement at;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        // A 1280 × 720 frame covering a 949 × 534 view, of which the middle 400 columns show.
        {"live view part", 128, 72, 40, 53, {-27.45, 0, 94.9, 53.4}},
        {"down by three", 61, 47, 20, 15, {0, 0, 20.3, 15.6}},
        {"up, zoomed", 9, 7, 37, 29, {-3.2, -5.5, 44.1, 34.3}},
        {"same size", 33, 17, 33, 17, {0, 0, 33, 17}},
        {"smaller than the target", 12, 10, 30, 24, {6.5, 4.25, 16, 12}},
        {"one column", 1, 9, 11, 13, {0, 0, 11, 13}},
        {"one row", 9, 1, 13, 5, {0, 0, 13, 5}},
        {"one pixel", 1, 1, 3, 2, {0.2, 0.7, 1.5, 1.5}},
    };
    return all;
}

TEST(BilinearScalerTest, MatchesFloatingPointSamplingWithinThreeLevels) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const Pixels source = noise(c.sourceWidth, c.sourceHeight, 7);
        for (const Path path : {Path::kFastest, Path::kPortable}) {
            Pixels target(c.targetWidth, c.targetHeight);
            BilinearScaler::scale(source.source(), target.target(), c.at, path);
            // Positions are kept to 1/64 of a pixel across, 1/128 down: on
            // noise, where neighbours differ by up to 255, that is 2 levels,
            // and one more for rounding.
            EXPECT_LE(worstError(source, target, c.at), 3);
        }
    }
}

TEST(BilinearScalerTest, SameSizeIsAnExactCopy) {
    const Pixels source = noise(21, 11, 3);
    Pixels target(21, 11, 0);
    BilinearScaler::scale(source.source(), target.target(), {0, 0, 21, 11});
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 21; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(*(target.at(x, y) + c), *(source.at(x, y) + c));
}

TEST(BilinearScalerTest, VectorPathGivesThePortableBytes) {
    test::SimdTargets::forEach([](const test::SimdTargets::Target&) {
        std::mt19937 random(11);
        for (int round = 0; round < 40; ++round) {
            const int sw = 2 + static_cast<int>(random() % 90),
                      sh = 2 + static_cast<int>(random() % 40);
            const int tw = 1 + static_cast<int>(random() % 70),
                      th = 1 + static_cast<int>(random() % 30);
            const Placement at{(static_cast<int>(random() % 41) - 20) * 0.37,
                               (static_cast<int>(random() % 21) - 10) * 0.53,
                               tw * (0.3 + static_cast<int>(random() % 100) / 40.0),
                               th * (0.3 + static_cast<int>(random() % 100) / 40.0)};
            const Pixels source = noise(sw, sh, static_cast<unsigned>(round));
            Pixels fast(tw, th), portable(tw, th);
            BilinearScaler::scale(source.source(), fast.target(), at, Path::kFastest);
            BilinearScaler::scale(source.source(), portable.target(), at, Path::kPortable);
            ASSERT_EQ(fast.bytes, portable.bytes) << sw << "x" << sh << " into " << tw << "x" << th;
        }
    });
}

TEST(BilinearScalerTest, ScalerGivesThePortableBytesOnEveryTarget) {
    // The live view's case at full size and odd ones around it: up, down, a
    // part of the frame, sources one pixel wide or high.
    struct Scaling {
        int sourceWidth, sourceHeight, targetWidth, targetHeight;
        BilinearScaler::Placement at;
    };
    const Scaling scalings[] = {
        {1280, 720, 400, 534, {-274.5, 0, 949.3, 534}},
        {640, 480, 401, 299, {0, 0, 401, 299}},
        {37, 23, 131, 77, {-5.5, -2.25, 140, 80}},
        {1, 40, 17, 9, {0, 0, 17, 9}},
        {33, 1, 65, 3, {0, 0, 65, 3}},
    };
    for (const Scaling& c : scalings) {
        const auto bytesPerRow = 4 * static_cast<std::size_t>(c.sourceWidth) + 8;
        const std::vector<std::uint8_t> source =
            test::noiseBytes(bytesPerRow * static_cast<std::size_t>(c.sourceHeight), 9);
        const auto targetRow = 4 * static_cast<std::size_t>(c.targetWidth) + 4;
        std::vector<std::uint8_t> plain(targetRow * static_cast<std::size_t>(c.targetHeight), 0xA5);
        BilinearScaler::scale({source.data(), bytesPerRow, c.sourceWidth, c.sourceHeight},
                              {plain.data(), targetRow, c.targetWidth, c.targetHeight}, c.at,
                              BilinearScaler::Path::kPortable);
        test::SimdTargets::forEach([&](const test::SimdTargets::Target&) {
            std::vector<std::uint8_t> fast(plain.size(), 0xA5);
            BilinearScaler::scale({source.data(), bytesPerRow, c.sourceWidth, c.sourceHeight},
                                  {fast.data(), targetRow, c.targetWidth, c.targetHeight}, c.at);
            ASSERT_EQ(fast, plain) << c.sourceWidth << "x" << c.sourceHeight << " into "
                                   << c.targetWidth << "x" << c.targetHeight;
        });
    }
}

TEST(BilinearScalerTest, PartOfTheTargetEqualsThatPartOfTheWhole) {
    // The live view scales only what it shows: the same pixels as scaling
    // the whole frame and cutting them out.
    const Pixels source = noise(64, 36, 5);
    const Placement whole{0, 0, 47.45, 26.7};
    Pixels all(47, 26);
    BilinearScaler::scale(source.source(), all.target(), whole);
    Pixels part(20, 26);
    BilinearScaler::scale(source.source(), part.target(), {-13, 0, whole.width, whole.height});
    for (int y = 0; y < 26; ++y)
        for (int x = 0; x < 20; ++x)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(*(part.at(x, y) + c), *(all.at(x + 13, y) + c)) << x << "," << y;
}

TEST(BilinearScalerTest, NothingIsDrawnForAnEmptySourceOrPlacement) {
    const Pixels source = noise(4, 4, 1);
    Pixels target(5, 5);
    const std::vector<std::uint8_t> before = target.bytes;
    BilinearScaler::scale(source.source(), target.target(), {0, 0, 0, 5});
    BilinearScaler::scale(source.source(), target.target(), {0, 0, 5, -1});
    BilinearScaler::scale(source.source(), target.target(), {0, 0, NAN, 5});
    BilinearScaler::scale({source.bytes.data(), source.bytesPerRow, 0, 4}, target.target(),
                          {0, 0, 5, 5});
    EXPECT_EQ(target.bytes, before);
}

}  // namespace
}  // namespace kestrel
