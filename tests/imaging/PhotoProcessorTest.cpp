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
    settings.ratio = 2;  // 1 x 1
    settings.modification = 8;
    const Image negative = PhotoProcessor::processPhoto(picture, 1.0f, settings);
    ASSERT_EQ(negative.width(), 300);
    ASSERT_EQ(negative.height(), 300);
    const Rgb in = TestImages::at(picture, 50 + 10, 10);
    const Rgb out = TestImages::at(negative, 10, 10);
    EXPECT_EQ(out, (Rgb{255 - in.r, 255 - in.g, 255 - in.b}));

    settings.ratio = 0;
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

TEST(PhotoProcessorTest, TimeStampFontIsFourPercentOfTheWidth) {
    EXPECT_DOUBLE_EQ(PhotoProcessor::timeStampFontSize(Size{640, 480}, 4.0f / 3.0f, false), 25.6);
    EXPECT_NEAR(PhotoProcessor::timeStampFontSize(Size{640, 480}, 2.0f, true), 9.6, 1e-5);
    EXPECT_NEAR(PhotoProcessor::timeStampFontSize(Size{480, 640}, 2.0f, true), 25.6, 1e-5);
}

}  // namespace
}  // namespace kestrel
