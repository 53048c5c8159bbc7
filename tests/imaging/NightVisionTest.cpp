#include "core/imaging/CAutoNightVisionImageEffect.h"
#include "core/imaging/NightVisionEffect.h"
#include "core/imaging/UColorSpace.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;

TEST(NightVisionTest, LumaTables) {
    EXPECT_EQ(UColorSpace::luma(255, 255, 255), 235);
    EXPECT_EQ(UColorSpace::luma(0, 0, 0), 16);
    EXPECT_EQ(UColorSpace::luma(255, 0, 0), 81);
    const auto& t = UColorSpace::tables();
    EXPECT_EQ(t.clip(-384), 0);
    EXPECT_EQ(t.clip(-1), 0);
    EXPECT_EQ(t.clip(200), 200);
    EXPECT_EQ(t.clip(639), 255);
}

// A grey level whose luma is exactly `y` (grey g has luma (220 g + 4096) >> 8).
int greyWithLuma(int y) {
    for (int g = 0; g < 256; ++g)
        if (UColorSpace::luma(static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(g),
                              static_cast<std::uint8_t>(g)) == y)
            return g;
    return -1;
}

TEST(NightVisionTest, StretchesFromTheDarkestLumaToTheBrightestHalfPercent) {
    // 640 × 480: the brightest 0.5 % is 1536 pixels. Lumas span 40..200;
    // 1000 pixels lie above 190 and 3000 at exactly 190.
    const int g40 = greyWithLuma(40), g115 = greyWithLuma(115), g190 = greyWithLuma(190),
              g200 = greyWithLuma(200);
    ASSERT_TRUE(g40 >= 0 && g115 >= 0 && g190 >= 0 && g200 >= 0);
    const Image picture = TestImages::make(640, 480, [&](int x, int y) {
        const int i = y * 640 + x;
        const int g = i < 1000 ? g200 : i < 4000 ? g190 : i < 5000 ? g40 : g115;
        return Rgb{g, g, g};
    });
    Bitmap pixels = picture.bitmap().clone();
    CAutoNightVisionImageEffect engine;
    engine.SetInput(pixels.data(), 640, 480, pixels.bytesPerRow());
    EXPECT_EQ(engine.Process(), 1);
    EXPECT_EQ(engine.low(), 40);
    EXPECT_EQ(engine.high(), 190);
    EXPECT_EQ(engine.map()[115], 127);  // (115 − 40) × 255 / 150
    const Image result(std::move(pixels));
    EXPECT_EQ(TestImages::at(result, 100, 300), (Rgb{127, 127, 127}));
    EXPECT_EQ(TestImages::at(result, 0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(TestImages::at(result, 5, 7), (Rgb{0, 0, 0}));  // pixel 4485: luma 40
}

TEST(NightVisionTest, OutputIsGreyAndTheFourthByteStays) {
    Image picture = TestImages::noise(123, 77, 7);
    Bitmap pixels = picture.bitmap().clone();
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) pixels.row(y)[x * 4 + 3] = static_cast<std::uint8_t>(x);
    CAutoNightVisionImageEffect engine;
    engine.SetInput(pixels.data(), 123, 77, pixels.bytesPerRow());
    engine.Process();
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x) {
            const std::uint8_t* p = pixels.row(y) + x * 4;
            ASSERT_EQ(p[0], p[1]);
            ASSERT_EQ(p[1], p[2]);
            ASSERT_EQ(p[3], static_cast<std::uint8_t>(x));
        }
}

TEST(NightVisionTest, UniformPicturesAndEmptyInputDoNotFail) {
    CAutoNightVisionImageEffect engine;
    EXPECT_EQ(engine.Process(), 0);  // no data
    Bitmap one(1, 1);
    engine.SetInput(one.data(), 0, 1, 4);
    EXPECT_EQ(engine.Process(), 0);  // empty

    Image uniform = TestImages::uniform(50, 40, Rgb{90, 90, 90});
    NightVisionEffect effect;
    EXPECT_FALSE(effect.applyEffect());  // no engine, no image
    effect.resetProcessor();
    EXPECT_FALSE(effect.applyEffect());  // no image
    effect.setImage(uniform);
    const Image result = effect.applyEffect();
    ASSERT_TRUE(result);
    EXPECT_EQ(TestImages::at(result, 10, 10), (Rgb{255, 255, 255}));
    EXPECT_EQ(TestImages::at(uniform, 10, 10), (Rgb{90, 90, 90}));  // a shared picture is copied
}

// Straightforward reference: lumas, thresholds and the map, written directly,
// against the engine run in place on `pixels` (any row length). The fourth
// byte must come out as it went in.
void expectReference(Bitmap pixels) {
    const int w = pixels.width(), h = pixels.height();
    std::vector<int> luma;
    std::vector<std::uint8_t> fourth;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = pixels.row(y) + x * 4;
            luma.push_back(std::clamp((66 * p[2] + 129 * p[1] + 25 * p[0] + 4096) >> 8, 0, 255));
            fourth.push_back(p[3]);
        }
    const int low = *std::min_element(luma.begin(), luma.end());
    const long limit = static_cast<long>(luma.size()) / 200;
    int high = 235;
    for (int j = 235; j >= 0; --j)
        if (std::count_if(luma.begin(), luma.end(), [j](int v) { return v >= j; }) > limit) {
            high = j;
            break;
        }
    CAutoNightVisionImageEffect engine;
    engine.SetInput(pixels.data(), static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h),
                    pixels.bytesPerRow());
    ASSERT_EQ(engine.Process(), 1);
    EXPECT_EQ(engine.low(), low);
    EXPECT_EQ(engine.high(), high);
    for (int y = 0, i = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, ++i) {
            const int j = luma[static_cast<std::size_t>(i)];
            const int want = j < low ? 0 : j > high ? 255 : high == low ? 255 : (j - low) * 255 / (high - low);
            const std::uint8_t* p = pixels.row(y) + x * 4;
            ASSERT_EQ(p[0], want) << x << "," << y;
            ASSERT_EQ(p[1], want) << x << "," << y;
            ASSERT_EQ(p[2], want) << x << "," << y;
            ASSERT_EQ(p[3], fourth[static_cast<std::size_t>(i)]) << x << "," << y;
        }
}

// A picture's pixels in a bitmap whose rows are `pad` bytes longer than
// they need be, with a fourth byte that varies.
Bitmap padded(const Image& picture, std::size_t pad) {
    const Bitmap& source = picture.bitmap();
    Bitmap pixels(source.width(), source.height(), static_cast<std::size_t>(source.width()) * 4 + pad);
    for (int y = 0; y < source.height(); ++y) {
        std::memcpy(pixels.row(y), source.row(y), static_cast<std::size_t>(source.width()) * 4);
        for (int x = 0; x < source.width(); ++x)
            pixels.row(y)[x * 4 + 3] = static_cast<std::uint8_t>(x * 7 + y);
    }
    return pixels;
}

TEST(NightVisionTest, AgreesWithAStraightforwardReference) {
    SCOPED_TRACE("small noise: several bands, a ragged row end");
    expectReference(TestImages::noise(211, 297, 99).bitmap().clone());
}

// Pictures of 512 rows and more are sampled first, and only the top of
// their histogram is counted; the thresholds must not change with that.
TEST(NightVisionTest, AgreesWithTheReferenceWhereOnlyTheTopIsCounted) {
    {
        SCOPED_TRACE("noise, ragged rows of padded length");
        expectReference(padded(TestImages::noise(333, 601, 5), 12));
    }
    {
        SCOPED_TRACE("a white sky over a dim ground: one luma holds the whole top");
        expectReference(padded(TestImages::make(200, 640,
                                                [](int x, int y) {
                                                    if (y < 250) return Rgb{255, 255, 255};
                                                    const int v = 40 + (x * 13 + y * 7) % 90;
                                                    return Rgb{v, v / 2, v};
                                                }),
                               0));
    }
    {
        // The rows the sample reads are bright, every other row dim: the
        // sample sets the cut far too high, and the whole histogram counts.
        SCOPED_TRACE("a sample that misjudges the top");
        expectReference(padded(TestImages::make(96, 1024,
                                                [](int x, int y) {
                                                    const int v = y % 32 == 16 ? 150 + (x * 5 + y) % 100
                                                                               : 30 + (x * 3 + y) % 70;
                                                    return Rgb{v, v, 255 - v};
                                                }),
                               4));
    }
    {
        SCOPED_TRACE("uniform");
        expectReference(TestImages::uniform(64, 520, Rgb{90, 120, 30}).bitmap().clone());
    }
    {
        SCOPED_TRACE("narrower than one vector step");
        expectReference(padded(TestImages::noise(5, 700, 17), 4));
    }
}

}  // namespace
}  // namespace kestrel
