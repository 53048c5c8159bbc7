#include "core/sensors/MotionDetector.h"

#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;

// A grey picture with the first `changed` pixels (row order) brighter by `step` luma levels.
Image greyWithChanged(int width, int height, int changed, int step) {
    // Grey g has luma (220·g + 4096) >> 8; 64 grey levels make 55 luma levels.
    return TestImages::make(width, height, [=](int x, int y) {
        const bool lifted = y * width + x < changed;
        int g = 100;
        if (lifted) {
            // The smallest grey whose luma is `step` above grey 100's.
            const int base = (220 * 100 + 4096) >> 8;
            while (((220 * g + 4096) >> 8) < base + step)
                ++g;
        }
        return Rgb{g, g, g};
    });
}

TEST(MotionDetectorTest, TheFirstSnapshotPrimesAndIdenticalOnesShowNoMovement) {
    MotionDetector detector;
    const Image scene = TestImages::noise(64, 48, 7);
    float movement = 0.5f;
    EXPECT_FALSE(detector.motion(scene, movement));
    EXPECT_EQ(movement, 0);
    movement = 0.0f;
    EXPECT_FALSE(detector.motion(scene, movement));
    EXPECT_EQ(movement, 0);
    EXPECT_EQ(MotionDetector::luma(std::array<std::uint8_t, 3>{0, 0, 255}.data()),
              (66 * 255 + 4096) >> 8);
}

TEST(MotionDetectorTest, ThresholdAndStepAreExclusive) {
    // 1 % of 100 × 100 pixels changed by 25 levels: exactly the threshold 0.01, so no motion.
    MotionDetector detector;
    float movement = 0.01f;
    detector.motion(greyWithChanged(100, 100, 0, 0), movement);
    movement = 0.01f;
    EXPECT_FALSE(detector.motion(greyWithChanged(100, 100, 100, 25), movement));
    EXPECT_FLOAT_EQ(movement, 0.01f);
    movement = 0.01f;
    detector.motion(greyWithChanged(100, 100, 0, 0), movement);  // back to the base (also a change)
    movement = 0.01f;
    EXPECT_TRUE(detector.motion(greyWithChanged(100, 100, 120, 25), movement));
    EXPECT_FLOAT_EQ(movement, 0.012f);
    // A change of exactly 24 levels does not count.
    detector.reset();
    detector.motion(greyWithChanged(100, 100, 0, 0), movement);
    movement = 0.0f;
    EXPECT_FALSE(detector.motion(greyWithChanged(100, 100, 5000, 24), movement));
    EXPECT_EQ(movement, 0);
}

TEST(MotionDetectorTest, ModeThresholdOnTheWatchedArea) {
    // 320 × 427 = 136,640 pixels at 0.02: 2,733 changed fire, 2,732 do not.
    for (const int changed : {2732, 2733}) {
        MotionDetector detector;
        float movement = 0.02f;
        detector.motion(greyWithChanged(320, 427, 0, 0), movement);
        movement = 0.02f;
        EXPECT_EQ(detector.motion(greyWithChanged(320, 427, changed, 40), movement),
                  changed == 2733)
            << changed;
    }
}

TEST(MotionDetectorTest, BlackSnapshotsAreSkippedAndASizeChangeRePrimes) {
    MotionDetector detector;
    const Image bright = greyWithChanged(50, 40, 0, 0);
    float movement = 0.5f;
    detector.motion(bright, movement);
    // A covered lens (every byte at most 32) answers NO and leaves everything alone.
    movement = 0.25f;
    EXPECT_FALSE(detector.motion(TestImages::uniform(50, 40, Rgb{32, 32, 32}), movement));
    EXPECT_EQ(movement, 0.25f);
    movement = 0.0f;
    EXPECT_FALSE(detector.motion(bright, movement));  // compared with the last bright one
    EXPECT_EQ(movement, 0);
    // One byte above 32 is not black.
    EXPECT_FALSE(MotionDetector::isBlack(
        TestImages::make(4, 4,
                         [](int x, int y) {
                             return x == 3 && y == 3 ? Rgb{0, 33, 0} : Rgb{};
                         })
            .bitmap()
            .data(),
        4, 4, 16));
    // Another size re-primes instead of comparing.
    movement = 0.0f;
    EXPECT_FALSE(detector.motion(TestImages::noise(40, 50, 3), movement));
    EXPECT_EQ(movement, 0);
    movement = 0.0f;
    EXPECT_FALSE(detector.motion(TestImages::noise(40, 50, 3), movement));
    EXPECT_EQ(movement, 0);
}

TEST(MotionDetectorTest, TurnedSnapshotsAreComparedUpright) {
    // The same scene stored sideways with an orientation is the same picture.
    const Image upright = TestImages::make(30, 20, [](int x, int y) {
        return Rgb{x * 8, y * 12, 60};
    });
    const Image stored = TestImages::make(
        20, 30,
        [](int x, int y) {
            return Rgb{(29 - y) * 8, x * 12, 60};
        },
        Image::kRight);
    MotionDetector detector;
    float movement = 0;
    detector.motion(upright, movement);
    movement = 0;
    EXPECT_FALSE(detector.motion(stored, movement));
    EXPECT_EQ(movement, 0);
}

TEST(MotionDetectorTest, IgnoringLightABrightnessChangeIsNoMotionAndBecomesTheReference) {
    // A textured scene, lit (grey above black scaled by `light`), with a
    // pale figure over `figure` of its width at the left.
    auto scene = [](double light, double figure) {
        return TestImages::make(160, 120, [=](int x, int y) {
            const bool inFigure = x < figure * 160 && y > 20 && y < 100;
            const int base = inFigure ? 240 : 60 + (x * 7 + y * 3) % 120;
            const int v = std::clamp(static_cast<int>(16 + (base - 16) * light), 0, 255);
            return Rgb{v, v, v};
        });
    };
    for (const bool ignore : {false, true}) {
        MotionDetector detector;
        detector.setIgnoreLight(ignore);
        float movement = 0.02f;
        EXPECT_FALSE(detector.motion(scene(0.4, 0), movement));  // primes
        movement = 0.02f;
        // The lamp goes on: everything 2.5 times as bright.
        EXPECT_EQ(detector.motion(scene(1.0, 0), movement), !ignore) << ignore;
        movement = 0.02f;
        EXPECT_FALSE(detector.motion(scene(1.0, 0), movement));  // the new light is the reference
        // Someone steps in, a fifth of the width.
        movement = 0.02f;
        EXPECT_TRUE(detector.motion(scene(1.0, 0.2), movement)) << ignore;
        EXPECT_GT(movement, 0.1f);
        // And the lamp goes off again with the figure still there.
        movement = 0.02f;
        EXPECT_EQ(detector.motion(scene(0.4, 0.2), movement), !ignore) << ignore;
    }
}

}  // namespace
}  // namespace kestrel
