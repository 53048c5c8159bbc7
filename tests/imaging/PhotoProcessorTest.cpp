#include "core/imaging/JpegCodec.h"
#include "core/imaging/JpegRegionDecoder.h"
#include "core/imaging/PhotoProcessor.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;

TEST(PhotoProcessorTest, NothingToDoGivesThePictureUntouched) {
    const Image picture = TestImages::noise(320, 240, 5);
    PhotoSettings settings;
    EXPECT_TRUE(PhotoProcessor::processPhoto(picture, 1.0f, settings).sameBitmap(picture));
    // Reduced to 640 × 480 only, when full size is off.
    const Image big = TestImages::uniform(1600, 1200, Rgb{40, 50, 60});
    settings.fullSizePhoto = false;
    const Image reduced = PhotoProcessor::processPhoto(big, 1.0f, settings);
    EXPECT_EQ(reduced.width(), 640);
    EXPECT_EQ(reduced.height(), 480);
    EXPECT_EQ(TestImages::at(reduced, 300, 200), (Rgb{40, 50, 60}));
}

TEST(PhotoProcessorTest, ComposesRatioEffectAndNightVision) {
    const Image picture = TestImages::noise(400, 300, 8);
    PhotoSettings settings;
    settings.aspectRatio = 1.0f;
    settings.ratioChosen = true;
    settings.modification = 8;
    const Image negative = PhotoProcessor::processPhoto(picture, 1.0f, settings);
    ASSERT_EQ(negative.width(), 300);
    ASSERT_EQ(negative.height(), 300);
    const Rgb in = TestImages::at(picture, 50 + 10, 10);
    const Rgb out = TestImages::at(negative, 10, 10);
    EXPECT_EQ(out, (Rgb{255 - in.r, 255 - in.g, 255 - in.b}));

    settings.aspectRatio = 4.0f / 3.0f;
    settings.ratioChosen = false;
    settings.modification = PhotoProcessor::kNightVision;
    const Image night = PhotoProcessor::processPhoto(picture, 1.0f, settings);
    ASSERT_EQ(night.width(), 400);
    for (int x = 0; x < 400; x += 13) {
        const Rgb c = TestImages::at(night, x, 150);
        ASSERT_TRUE(c.r == c.g && c.g == c.b);
    }
}

TEST(PhotoProcessorTest, ZoomAloneIsWork) {
    const Image picture = TestImages::uniform(64, 48, Rgb{9, 9, 9});
    PhotoSettings settings;
    const Image zoomed = PhotoProcessor::processPhoto(picture, 2.0f, settings);
    EXPECT_FALSE(zoomed.sameBitmap(picture));
    EXPECT_EQ(zoomed.width(), 64);
}

// A photo-like JPEG: smooth colour with some texture.
std::vector<std::uint8_t> photoJpeg(int width, int height) {
    const Image picture = TestImages::make(width, height, [](int x, int y) {
        return Rgb{(x * 7 + y) % 256, (y * 5) % 256, (x * y / 13 + (x ^ y)) % 256};
    });
    return *JpegCodec::encode(picture, 0.95);
}

TEST(PhotoProcessorTest, AJpegComposedFromItsKeptBlocksIsTheWholeDecodesPicture) {
    const auto jpeg = photoJpeg(256, 192);
    const auto whole = JpegCodec::decode(jpeg);
    ASSERT_TRUE(whole);
    struct Case {
        float zoom;
        float ratio;
        int effect;
        bool stamp;
    };
    const Case cases[] = {{2.0f, 16.0f / 9.0f, 2, true}, {3.0f, 1.0f, 9, false}, {1.5f, 4.0f / 3.0f, 10, false},
                          {1.0f, 16.0f / 9.0f, 0, false}};
    for (int orientation = 0; orientation <= 7; ++orientation)
        for (const Case& c : cases) {
            SCOPED_TRACE("orientation " + std::to_string(orientation) + " zoom " + std::to_string(c.zoom) +
                         " effect " + std::to_string(c.effect));
            PhotoSettings settings;
            settings.aspectRatio = c.ratio;
            settings.ratioChosen = true;
            settings.modification = c.effect;
            if (c.stamp) settings.timeStamp = "Dec 8, 2026 16:05";
            std::string error;
            const auto cropped = PhotoProcessor::processJpeg(jpeg, c.zoom, settings, orientation, &error);
            ASSERT_TRUE(cropped) << error;
            const Image reference =
                PhotoProcessor::processPhoto(whole->withOrientation(orientation), c.zoom, settings);
            EXPECT_EQ(cropped->orientation(), Image::kUp);
            EXPECT_EQ(TestImages::maxDifference(*cropped, reference), 0);
        }

    // Reduced: decoded at a DCT scale, then as the camera's picture is.
    PhotoSettings reduced;
    reduced.fullSizePhoto = false;
    const auto big = photoJpeg(1600, 1200);
    const auto small = PhotoProcessor::processJpeg(big, 2.0f, reduced);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->width(), 640);
    EXPECT_EQ(small->height(), 480);

    std::string error;
    auto cut = jpeg;
    cut.resize(cut.size() / 2);
    EXPECT_FALSE(PhotoProcessor::processJpeg(cut, 2.0f, PhotoSettings{}, std::nullopt, &error));
    EXPECT_FALSE(error.empty());
}

TEST(JpegRegionDecoderTest, DecodesWholeBlocksAroundTheWantedRegion) {
    const auto jpeg = photoJpeg(300, 200);
    const auto whole = JpegCodec::decode(jpeg);
    ASSERT_TRUE(whole);
    const auto region = JpegRegionDecoder::decode(jpeg, PixelRect{37, 21, 100, 50});
    ASSERT_TRUE(region);
    const PixelRect& s = region->stored;
    EXPECT_EQ(s.x % 16, 0);  // 4:2:0 blocks are 16 pixels wide
    EXPECT_LE(s.x, 37);
    EXPECT_GE(s.x + s.width, 137);
    EXPECT_EQ(s.y, 21);
    EXPECT_EQ(s.height, 50);
    // The whole picture's size: away from the cut, the very pixels of the
    // whole decode; outside the region, black.
    ASSERT_EQ(region->bitmap.width(), 300);
    ASSERT_EQ(region->bitmap.height(), 200);
    const Image part(region->bitmap.clone());
    for (int y = s.y; y < s.y + s.height; y += 3)
        for (int x = 37; x < 137; x += 3)
            ASSERT_EQ(TestImages::at(part, x, y), TestImages::at(*whole, x, y)) << x << "," << y;
    EXPECT_EQ(TestImages::at(part, 150, 10), (Rgb{0, 0, 0}));
    EXPECT_EQ(TestImages::at(part, 10, 150), (Rgb{0, 0, 0}));

    // Clipped to the picture; nothing wanted, or a broken file, is none.
    const auto corner = JpegRegionDecoder::decode(jpeg, PixelRect{250, 180, 100, 100});
    ASSERT_TRUE(corner);
    EXPECT_EQ(corner->stored.x + corner->stored.width, 300);
    EXPECT_EQ(corner->stored.height, 20);
    std::string error;
    EXPECT_FALSE(JpegRegionDecoder::decode(jpeg, PixelRect{300, 0, 10, 10}, &error));
    EXPECT_FALSE(error.empty());
    auto corrupt = jpeg;
    for (std::size_t i = corrupt.size() / 3; i < corrupt.size() / 3 + 40; ++i) corrupt[i] = 0xFF;
    EXPECT_FALSE(JpegRegionDecoder::decode(corrupt, PixelRect{0, 0, 300, 200}));
}

TEST(PhotoProcessorTest, TimeStampFontIsFourPercentOfTheWidth) {
    EXPECT_DOUBLE_EQ(PhotoProcessor::timeStampFontSize(Size{640, 480}, 4.0f / 3.0f, false), 25.6);
    EXPECT_NEAR(PhotoProcessor::timeStampFontSize(Size{640, 480}, 2.0f, true), 9.6, 1e-5);
    EXPECT_NEAR(PhotoProcessor::timeStampFontSize(Size{480, 640}, 2.0f, true), 25.6, 1e-5);
}

}  // namespace
}  // namespace kestrel
