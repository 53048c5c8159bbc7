#include "core/sensors/PictureSteadiness.h"

#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrel {
namespace {

using test::Rgb;
using test::TestImages;

constexpr float kThreshold = 0.01f;

RunLoop::Duration at(double seconds) { return RunLoop::seconds(seconds); }

// A grey 100 × 100 picture whose first `changed` pixels (row order) are
// lifted by 40 luma levels: `changed` / 10,000 of the view changes from the
// plain one.
Image greyWith(int changed) {
    return TestImages::make(100, 100, [=](int x, int y) {
        return y * 100 + x < changed ? Rgb{150, 150, 150} : Rgb{100, 100, 100};
    });
}

// Feeds `picture` every 0.1 s from `from` up to `to` (both included);
// answers the times at which the picture was still.
std::vector<double> feed(PictureSteadiness& steadiness, const Image& picture, double from,
                         double to, float threshold = kThreshold) {
    std::vector<double> still;
    for (int i = 0; from + i * 0.1 <= to + 1e-9; ++i) {
        const double t = from + i * 0.1;
        if (steadiness.still(picture, at(t), threshold)) still.push_back(t);
    }
    return still;
}

TEST(PictureSteadinessTest, StillOnceEveryComparisonOfASecondStayedUnderTheThreshold) {
    PictureSteadiness steadiness;
    const Image scene = greyWith(0);
    // The first snapshot is only taken in; the first comparison comes at
    // 0.1 s, so the picture is still from 0.1 s on and counts at 1.1 s.
    EXPECT_FALSE(steadiness.still(scene, at(0), kThreshold));
    EXPECT_EQ(steadiness.recentChange(), std::nullopt);
    EXPECT_TRUE(feed(steadiness, scene, 0.1, 1.0).empty());
    EXPECT_FALSE(steadiness.still(scene, at(1.1) - RunLoop::Duration(1), kThreshold));
    EXPECT_TRUE(steadiness.still(scene, at(1.1), kThreshold));
    EXPECT_EQ(steadiness.recentChange(), 0.0f);
    // It stays still as long as nothing changes.
    EXPECT_EQ(feed(steadiness, scene, 1.2, 1.4), (std::vector<double>{1.2, 1.3, 1.4}));
}

TEST(PictureSteadinessTest, AChangeOfTheThresholdOrMoreStartsTheSecondAgain) {
    PictureSteadiness steadiness;
    feed(steadiness, greyWith(0), 0, 0.4);
    // 1 % of the view changes at 0.5 s: exactly the threshold is a change.
    EXPECT_FALSE(steadiness.still(greyWith(100), at(0.5), kThreshold));
    EXPECT_FLOAT_EQ(*steadiness.lastChange(), 0.01f);
    EXPECT_FLOAT_EQ(*steadiness.recentChange(), 0.01f);
    const std::vector<double> still = feed(steadiness, greyWith(100), 0.6, 1.6);
    ASSERT_FALSE(still.empty());
    EXPECT_NEAR(still.front(), 1.5, 1e-9);
    // A change under the threshold keeps the picture still.
    EXPECT_TRUE(steadiness.still(greyWith(199), at(1.7), 0.01f));
    EXPECT_FLOAT_EQ(*steadiness.lastChange(), 0.0099f);
    // The largest change of the last second is what the level shows.
    EXPECT_TRUE(steadiness.still(greyWith(199), at(1.8), 0.01f));
    EXPECT_FLOAT_EQ(*steadiness.recentChange(), 0.0099f);
    EXPECT_EQ(*steadiness.lastChange(), 0.0f);
}

// A hand that sways, a subject that moves: a single quiet pair among them
// (the same frame handed over twice, a swing's turning point) is not still.
TEST(PictureSteadinessTest, OneQuietPairAmidMovementIsNotStill) {
    PictureSteadiness steadiness;
    const Image a = greyWith(0), b = greyWith(3000);
    const Image sequence[] = {a, b, b, a, b, a, a, b, a, b, b, a, b, a, a, b, a, b, b, a};
    for (int i = 0; i < 20; ++i)
        EXPECT_FALSE(steadiness.still(sequence[i], at(i * 0.1), kThreshold)) << i;
    EXPECT_FLOAT_EQ(*steadiness.recentChange(), 0.3f);
}

TEST(PictureSteadinessTest, ASnapshotThatCannotBeComparedStartsTheSecondAgain) {
    struct Case {
        const char* what;
        Image gap;
    };
    const Case cases[] = {
        {"a black snapshot (a covered lens)", TestImages::uniform(100, 100, Rgb{10, 10, 10})},
        {"no snapshot (no frame yet)", Image()},
        {"a snapshot of another size (a new window)",
         TestImages::uniform(80, 60, Rgb{100, 100, 100})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PictureSteadiness steadiness;
        feed(steadiness, greyWith(0), 0, 0.8);
        EXPECT_FALSE(steadiness.still(c.gap, at(0.9), kThreshold));
        EXPECT_EQ(steadiness.lastChange(), std::nullopt);
        EXPECT_EQ(steadiness.recentChange(), std::nullopt);
        // Still from the next comparison on: 1.0 s, or 1.1 s when the gap
        // became the reference and the next snapshot only re-primes it.
        const std::vector<double> still = feed(steadiness, greyWith(0), 1.0, 2.5);
        ASSERT_FALSE(still.empty());
        const bool reprimed = c.gap && c.gap.width() == 80;
        EXPECT_NEAR(still.front(), reprimed ? 2.1 : 2.0, 1e-9);
    }
}

TEST(PictureSteadinessTest, TheThresholdOfEachPollJudgesTheWholeSecond) {
    PictureSteadiness steadiness;
    feed(steadiness, greyWith(0), 0, 0.5);
    feed(steadiness, greyWith(50), 0.6, 0.6);  // 0.5 % of the view changes at 0.6 s
    // Under a threshold of 1 %: still from 0.1 s on, so from 1.1 s.
    EXPECT_EQ(feed(steadiness, greyWith(50), 0.7, 1.5, 0.01f).size(), 5u);
    // A stricter threshold (the sensitivity changed): the change of 0.6 s
    // counts until it falls out of the second.
    EXPECT_FALSE(steadiness.still(greyWith(50), at(1.55), 0.004f));
    EXPECT_TRUE(steadiness.still(greyWith(50), at(1.6), 0.004f));
}

// A large window's snapshot is measured at 320 pixels at most: the same
// share of the view changes whatever the window's size.
TEST(PictureSteadinessTest, LargeSnapshotsAreMeasuredAtThePhonesWidth) {
    const Image large = TestImages::make(960, 720, [](int x, int) {
        return x < 96 ? Rgb{200, 200, 200} : Rgb{60, 60, 60};
    });
    const Image measured = PictureSteadiness::measured(large);
    EXPECT_EQ(measured.width(), 320);
    EXPECT_EQ(measured.height(), 240);
    const Image small = greyWith(0);
    EXPECT_TRUE(PictureSteadiness::measured(small).sameBitmap(small));

    PictureSteadiness steadiness;
    const Image plain = TestImages::uniform(960, 720, Rgb{60, 60, 60});
    steadiness.still(plain, at(0), 0.5f);
    steadiness.still(large, at(0.1), 0.5f);
    EXPECT_NEAR(*steadiness.lastChange(), 0.1f, 0.005f);  // the left tenth lit
}

}  // namespace
}  // namespace kestrel
