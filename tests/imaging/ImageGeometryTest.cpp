#include "core/imaging/ImageDraw.h"
#include "core/imaging/ImageResizer.h"
#include "core/imaging/ImageUtils.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;

// Every pixel tells where it came from.
Rgb coordinates(int x, int y) { return Rgb{x % 256, y % 256, (x / 256) * 16 + y / 256}; }

// Where upright pixel (x, y) lies in a stored w × h picture, written out from
// what each orientation means: 1 half a turn, 2 a quarter turn
// counter-clockwise, 3 clockwise; 4–7 the same turns of the stored picture
// mirrored left to right, as EXIF orientations 2, 4, 5 and 7 mean (5, for
// one, is the transpose: stored row 0 becomes the left column).
std::pair<int, int> storedOf(int o, int x, int y, int w, int h) {
    std::pair<int, int> at;
    switch (o & 3) {
    case 1: at = {w - 1 - x, h - 1 - y}; break;
    case 2: at = {w - 1 - y, x}; break;
    case 3: at = {y, h - 1 - x}; break;
    default: at = {x, y}; break;
    }
    if (o >= 4) at.first = w - 1 - at.first;
    return at;
}

TEST(ImageResizerTest, OrientationZeroAtSizeZeroIsAnsweredItself) {
    const Image picture = TestImages::make(8, 6, coordinates);
    const Image same = ImageResizer::colorMatch(picture, Size{0, 0});
    EXPECT_TRUE(same.sameBitmap(picture));
    EXPECT_FALSE(ImageResizer::colorMatch(picture, Size{8, 6}).sameBitmap(picture));
}

TEST(ImageResizerTest, LeftMirroredIsTheTranspose) {
    const Image stored = TestImages::make(64, 48, coordinates, Image::kLeftMirrored);
    const Image upright = ImageResizer::colorMatch(stored, Size{0, 0});
    for (int y = 0; y < 64; y += 3)
        for (int x = 0; x < 48; x += 3) ASSERT_EQ(TestImages::at(upright, x, y), coordinates(y, x));
}

TEST(ImageResizerTest, EveryOrientationGivesTheUprightPicturePixelForPixel) {
    for (int o = 0; o <= 8; ++o) {
        const Image stored = TestImages::make(640, 480, coordinates, o);
        const Image upright = ImageResizer::colorMatch(stored, Size{0, 0});
        const int expectedOrientation = o > 7 ? 0 : o;  // values above 7 count as up
        ASSERT_EQ(upright.orientation(), Image::kUp);
        const bool swapped = Image::swapsSides(expectedOrientation);
        ASSERT_EQ(upright.width(), swapped ? 480 : 640) << o;
        ASSERT_EQ(upright.height(), swapped ? 640 : 480) << o;
        EXPECT_EQ(upright.bitmap().bytesPerRow(), static_cast<std::size_t>(upright.width()) * 4);
        for (int y = 0; y < upright.height(); y += 7)
            for (int x = 0; x < upright.width(); x += 5) {
                const auto [sx, sy] = storedOf(expectedOrientation, x, y, 640, 480);
                ASSERT_EQ(TestImages::at(upright, x, y), coordinates(sx, sy))
                    << "orientation " << o << " at " << x << "," << y;
            }
    }
}

TEST(ImageDrawTest, BitmapSizeRoundsAndRowsArePaddedToFourPixels) {
    ImageDraw canvas;
    ASSERT_TRUE(canvas.start(Size{639.6f, 10}));
    Image image = canvas.end();
    EXPECT_EQ(image.width(), 640);
    EXPECT_EQ(image.bitmap().bytesPerRow(), 2560u);
    EXPECT_FALSE(canvas.end());  // a second end answers none

    ASSERT_TRUE(canvas.start(Size{641, 3}));
    image = canvas.end();
    EXPECT_EQ(image.width(), 641);
    EXPECT_EQ(image.bitmap().bytesPerRow(), 2576u);
    EXPECT_EQ(TestImages::at(image, 640, 2), (Rgb{0, 0, 0}));  // starts black

    EXPECT_FALSE(canvas.start(Size{0.2f, 10}));
    canvas.fillRect(Rect{0, 0, 1, 1}, Color{1, 1, 1, 1});  // no bitmap: nothing
    EXPECT_FALSE(canvas.end());
}

TEST(ImageDrawTest, DrawingThroughEachOrientationEqualsTheUprightCopy) {
    for (int o = 0; o <= 7; ++o) {
        const Image stored = TestImages::make(40, 30, coordinates, o);
        ImageDraw canvas;
        ASSERT_TRUE(canvas.startFromImage(stored));
        const Image drawn = canvas.end();
        EXPECT_EQ(TestImages::maxDifference(drawn, ImageResizer::colorMatch(stored, Size{0, 0})), 0)
            << "orientation " << o;
    }
}

TEST(ImageDrawTest, RatioCropTakesTheMiddle) {
    const Image picture = TestImages::make(1600, 1200, coordinates);
    const Bitmap& b = picture.bitmap();
    // Square: the middle 1200 × 1200, drawn at (-200, 0).
    Image square = ImageDraw::draw(b, Image::kUp, 1.0f, 1.0f, std::nullopt, std::nullopt, 0, 8);
    ASSERT_EQ(square.width(), 1200);
    ASSERT_EQ(square.height(), 1200);
    EXPECT_EQ(TestImages::at(square, 0, 0), coordinates(200, 0));
    EXPECT_EQ(TestImages::at(square, 1199, 1199), coordinates(1399, 1199));
    // 16:9 is flatter than 4:3: 1600 × 900, drawn at (0, -150).
    Image wide = ImageDraw::draw(b, Image::kUp, 16.0f / 9.0f, 1.0f, std::nullopt, std::nullopt, 0, 8);
    ASSERT_EQ(wide.width(), 1600);
    ASSERT_EQ(wide.height(), 900);
    EXPECT_EQ(TestImages::at(wide, 0, 0), coordinates(0, 150));
    EXPECT_EQ(TestImages::at(wide, 1599, 899), coordinates(1599, 1049));
    // A portrait picture takes the ratio in its own shape: 4:3 becomes 3:4.
    const Image portrait = TestImages::make(480, 640, coordinates);
    Image same = ImageDraw::draw(portrait.bitmap(), Image::kUp, 4.0f / 3.0f, 1.0f, std::nullopt,
                                 std::nullopt, 0, 8);
    EXPECT_EQ(same.width(), 480);
    EXPECT_EQ(same.height(), 640);
    EXPECT_EQ(TestImages::maxDifference(same, portrait), 0);
}

TEST(ImageDrawTest, ZoomEnlargesTheMiddle) {
    // A smooth picture, so that interpolation lands close to the exact value.
    const Image picture = TestImages::make(640, 480, [](int x, int y) { return Rgb{x * 255 / 639, y * 255 / 479, 128}; });
    Image zoomed = ImageDraw::draw(picture.bitmap(), Image::kUp, 4.0f / 3.0f, 2.0f, std::nullopt,
                                   std::nullopt, 0, 8);
    ASSERT_EQ(zoomed.width(), 640);
    ASSERT_EQ(zoomed.height(), 480);
    // Drawn at (-320, -240, 1280, 960): output (x, y) shows source (160 + x/2, 120 + y/2).
    for (int y = 10; y < 480; y += 97)
        for (int x = 10; x < 640; x += 101) {
            const Rgb got = TestImages::at(zoomed, x, y);
            const Rgb want = TestImages::at(picture, 160 + x / 2, 120 + y / 2);
            EXPECT_NEAR(got.r, want.r, 1) << x << "," << y;
            EXPECT_NEAR(got.g, want.g, 1) << x << "," << y;
        }
}

TEST(ImageDrawTest, AnchoredCropKeepsTheBandTheTransformLeaves) {
    const Image landscape = TestImages::make(400, 300, coordinates);
    // Orientation 0: r = 3/4, output 225 × 300, the left band of the picture.
    Image left = ImageDraw::tilt(landscape.bitmap(), Image::kUp, 4.0f / 3.0f, std::nullopt,
                                 std::nullopt, 0, 8);
    ASSERT_EQ(left.width(), 225);
    ASSERT_EQ(left.height(), 300);
    EXPECT_EQ(TestImages::at(left, 0, 0), coordinates(0, 0));
    EXPECT_EQ(TestImages::at(left, 224, 299), coordinates(224, 299));
}

TEST(ImageDrawTest, SmartResizeTurnsTheTargetToThePicturesShape) {
    const Image portrait = TestImages::uniform(120, 160, Rgb{10, 20, 30});
    Image reduced = ImageDraw::smartResize(portrait, Size{640, 480});
    EXPECT_EQ(reduced.width(), 480);
    EXPECT_EQ(reduced.height(), 640);
    EXPECT_EQ(TestImages::at(reduced, 240, 320), (Rgb{10, 20, 30}));
    const Image square = TestImages::uniform(100, 100, Rgb{1, 2, 3});
    reduced = ImageDraw::smartResize(square, Size{640, 480});
    EXPECT_EQ(reduced.width(), 640);
    EXPECT_EQ(reduced.height(), 480);
    // Upright size counts: a landscape bitmap standing on its side is portrait.
    const Image turned = TestImages::uniform(160, 120, Rgb{0, 0, 0}).withOrientation(Image::kRight);
    EXPECT_EQ(ImageDraw::smartResize(turned, Size{640, 480}).width(), 480);
}

TEST(ImageDrawTest, PosterIsACentredSquareCut) {
    // Red in the outer eighths of a 640 × 480 picture: exactly what the 75 × 75
    // poster cuts away (drawn 100 × 75 at x = -12.5).
    const Image picture = TestImages::make(640, 480, [](int x, int) {
        return x < 80 || x >= 560 ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
    });
    const Image poster = ImageDraw::drawPosterImage(picture, Size{75, 75});
    ASSERT_EQ(poster.width(), 75);
    ASSERT_EQ(poster.height(), 75);
    for (int x = 1; x < 74; ++x) EXPECT_LE(TestImages::at(poster, x, 37).r, 40) << x;
    const Image tall = TestImages::make(480, 640, [](int, int y) {
        return y < 80 || y >= 560 ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
    });
    const Image tallPoster = ImageUtils::drawPosterImage(tall, Size{75, 75});
    for (int y = 1; y < 74; ++y) EXPECT_LE(TestImages::at(tallPoster, 37, y).r, 40) << y;
}

TEST(ImageUtilsTest, DrawRectCutsTheWindowAtTopLeft) {
    const Image picture = TestImages::make(320, 240, coordinates);
    const Image window = ImageUtils::drawRect(Rect{10, 20, 100, 50}, picture);
    ASSERT_EQ(window.width(), 100);
    ASSERT_EQ(window.height(), 50);
    EXPECT_EQ(TestImages::at(window, 0, 0), coordinates(10, 20));
    EXPECT_EQ(TestImages::at(window, 99, 49), coordinates(109, 69));
    // Beyond the picture: black.
    const Image edge = ImageUtils::drawRect(Rect{300, 230, 40, 20}, picture);
    EXPECT_EQ(TestImages::at(edge, 19, 9), coordinates(319, 239));
    EXPECT_EQ(TestImages::at(edge, 30, 15), (Rgb{0, 0, 0}));
}

TEST(ImageDrawTest, MergesTakeTheMaximumOrTheMean) {
    const Image a = TestImages::uniform(64, 48, Rgb{200, 10, 100});
    const Image b = TestImages::uniform(64, 48, Rgb{50, 90, 100});
    EXPECT_EQ(TestImages::at(ImageDraw::channelMerge(a, b), 5, 5), (Rgb{200, 90, 100}));
    const Rgb mean = TestImages::at(ImageDraw::simplyMerge(a, b), 5, 5);
    EXPECT_NEAR(mean.r, 125, 1);
    EXPECT_NEAR(mean.g, 50, 1);
    EXPECT_EQ(mean.b, 100);
    const Image other = TestImages::uniform(48, 64, Rgb{1, 1, 1});
    EXPECT_TRUE(ImageDraw::channelMerge(a, other).sameBitmap(other));
    EXPECT_TRUE(ImageDraw::simplyMerge(a, other).sameBitmap(other));
}

TEST(ImageDrawTest, TimeStampIsCentredFivePercentAboveTheBottom) {
    const Image black = TestImages::uniform(640, 480, Rgb{0, 0, 0});
    const Image stamped = ImageDraw::draw(black.bitmap(), Image::kUp, 4.0f / 3.0f, 1.0f,
                                          std::string("8 Dec 2026 03:21"), Font{25.6, true}, 0, 8);
    int left = 640, right = -1, top = 480, bottom = -1;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (TestImages::at(stamped, x, y).r > 60) {  // the light grey text, not its shadow
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0) << "no text drawn";
    EXPECT_NEAR((left + right) / 2.0, 320, 4);
    EXPECT_NEAR((top + bottom) / 2.0, 480 - 24, 6);
    const Rgb ink = TestImages::at(stamped, (left + right) / 2, (top + bottom) / 2);
    EXPECT_EQ(ink.r, ink.g);  // untinted grey
}

TEST(ImageDrawTest, CaptionHasRoomForItsShadow) {
    EXPECT_FALSE(ImageDraw::drawText("", Font{20, true}, Color{1, 1, 1, 1}));
    const Image caption = ImageDraw::drawText("Kestrel", Font{20, true}, Color{1, 1, 1, 1});
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption.bitmap().format(), Bitmap::Format::kBGRA);
    EXPECT_GT(caption.width(), 40);
    EXPECT_GT(caption.height(), 20);
}

}  // namespace
}  // namespace kestrel
