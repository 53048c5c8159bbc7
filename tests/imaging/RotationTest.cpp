#include "core/imaging/ImageResizer.h"
#include "core/imaging/Rotation.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kestrel {
namespace {

TEST(RotationTest, TurnsAddUpInQuarterTurnsAndTheDeviceTurnsAsItsOrientationNumberSays) {
    EXPECT_EQ(Rotation::normalized(450), 90);
    EXPECT_EQ(Rotation::normalized(-90), 270);
    EXPECT_EQ(Rotation::normalized(360), 0);
    EXPECT_EQ(Rotation::fromCounterClockwise(90), 270);  // V4L2 and libcamera count the other way
    EXPECT_EQ(Rotation::fromCounterClockwise(0), 0);
    const int turns[] = {0, 0, 180, 270, 90, 0};  // orientation numbers 0 to 5
    for (int number = 0; number <= 5; ++number) {
        EXPECT_EQ(Rotation::deviceTurn(number), turns[number]) << number;
        if (number >= 1 && number <= 4) {
            EXPECT_EQ(Rotation::orientationNumber(turns[number]), number) << number;
        }
    }
    EXPECT_EQ(Rotation::controls(90, 90), 0);  // a shell that turns the screen turns nothing more
    EXPECT_EQ(Rotation::controls(90, 0), 90);
    EXPECT_EQ(Rotation::preview(90, 270), 0);
}

// A phone's sensor mounted a quarter turn from its screen: its landscape
// frames held upright need a quarter turn clockwise, on their left side none.
TEST(RotationTest, ASensorMountedAQuarterTurnGivesTheOrientationsOfAPhone) {
    const int expected[] = {Image::kRight, Image::kLeft, Image::kUp, Image::kDown};  // held 1–4
    for (int held = 1; held <= 4; ++held)
        EXPECT_EQ(Rotation::imageOrientation(Rotation::photo(90, Rotation::deviceTurn(held))),
                  expected[held - 1])
            << held;
    EXPECT_EQ(Rotation::imageOrientation(Rotation::photo(0, 0)), Image::kUp);  // a webcam
}

// A 3 × 2 picture whose every pixel is its own number.
Bitmap numbered() {
    Bitmap bitmap(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const std::uint32_t value = static_cast<std::uint32_t>(1 + x + 3 * y);
            std::memcpy(bitmap.row(y) + 4 * x, &value, 4);
        }
    return bitmap;
}

std::uint32_t at(const Bitmap& bitmap, int x, int y) {
    std::uint32_t value = 0;
    std::memcpy(&value, bitmap.row(y) + 4 * x, 4);
    return value;
}

// Mirrored, a picture is upright as the unmirrored one, then mirrored left to right.
TEST(RotationTest, AMirroredPhotoIsTheUprightOneMirroredLeftToRight) {
    const Bitmap stored = numbered();
    for (const int rotation : {0, 90, 180, 270}) {
        const Bitmap upright = ImageResizer::colorMatch(stored, Rotation::imageOrientation(rotation));
        const Bitmap mirrored =
            ImageResizer::colorMatch(stored, Rotation::imageOrientation(rotation, true));
        ASSERT_EQ(mirrored.width(), upright.width()) << rotation;
        ASSERT_EQ(mirrored.height(), upright.height()) << rotation;
        for (int y = 0; y < upright.height(); ++y)
            for (int x = 0; x < upright.width(); ++x)
                EXPECT_EQ(at(mirrored, x, y), at(upright, upright.width() - 1 - x, y))
                    << rotation << " at " << x << "," << y;
    }
}

}  // namespace
}  // namespace kestrel
