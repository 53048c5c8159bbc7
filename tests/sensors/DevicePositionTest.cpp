#include "core/platform/ManualRunLoop.h"
#include "core/sensors/DevicePosition.h"
#include "sim/SimulatedAccelerometer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kestrel {
namespace {

// An accelerometer the test feeds by hand.
class HandAccelerometer final : public Accelerometer {
public:
    void setUpdateInterval(double seconds) override { interval = seconds; }
    void setDelegate(Delegate d) override { delegate = std::move(d); }
    void feed(float x, float y, float z, int times = 1) {
        for (int i = 0; i < times; ++i)
            delegate(x, y, z);
    }
    double interval = 0;
    Delegate delegate;
};

class DevicePositionTest : public ::testing::Test {
protected:
    DevicePositionTest() {
        center.addObserver(DevicePosition::kChangeOrientation,
                           [this](const Notification&) { ++changes; });
        position.setInterval(0.1);
        position.restart();
        loop.advance(0.2);
    }
    ManualRunLoop loop;
    NotificationCenter center;
    HandAccelerometer accelerometer;
    DevicePosition position{accelerometer, loop, center};
    int changes = 0;
};

TEST_F(DevicePositionTest, SamplesStartAfterAFifthOfASecondAtTheInterval) {
    EXPECT_DOUBLE_EQ(accelerometer.interval, 0.1);
    ASSERT_TRUE(accelerometer.delegate);
    EXPECT_EQ(DevicePosition::device(), &position);
}

TEST_F(DevicePositionTest, NothingIsKnownBeforeEnoughSamples) {
    float mean = -1;
    EXPECT_EQ(position.orientation(), DevicePosition::kPortrait);
    EXPECT_FALSE(position.stable(1.0f, mean));
    EXPECT_FLOAT_EQ(mean, 10.0f);
    EXPECT_FALSE(position.shaking(0.0f, mean));
    EXPECT_FLOAT_EQ(mean, 0.0f);
    accelerometer.feed(0, -1, 0, 30);
    EXPECT_FALSE(position.stable(1.0f, mean));  // exactly 30: not yet
    accelerometer.feed(0, -1, 0);
    EXPECT_TRUE(position.stable(1.0f, mean));
    EXPECT_FLOAT_EQ(mean, 0.0f);
}

TEST(DevicePositionOrientationTest, OrientationFromTheAverages) {
    struct Case {
        float x, y, z;
        int orientation;
        int changes;
    };
    const Case cases[] = {
        {0.6f, -0.5f, 0, 4, 1}, {-0.6f, 0.5f, 0, 3, 1},   {0.1f, 0.7f, 0, 2, 1},
        {0.5f, -0.6f, 0, 1, 0}, {0.05f, 0.05f, -1, 1, 0},  // lying flat: no decision
        {1.2f, 0.1f, 0, 1, 0},                             // accelerating: no decision
    };
    for (const Case& c : cases) {
        ManualRunLoop loop;
        NotificationCenter center;
        int changes = 0;
        center.addObserver(DevicePosition::kChangeOrientation,
                           [&](const Notification&) { ++changes; });
        HandAccelerometer accelerometer;
        DevicePosition position(accelerometer, loop, center);
        loop.advance(0.2);
        accelerometer.feed(c.x, c.y, c.z, 31);
        EXPECT_EQ(position.orientation(), c.orientation) << c.x << "," << c.y << "," << c.z;
        EXPECT_EQ(changes, c.changes) << c.x << "," << c.y << "," << c.z;
    }
}

TEST_F(DevicePositionTest, SteadinessIsStrictlyBelowTheThreshold) {
    // Ranges over the last 30 samples: x 0.05, y 0.06, z 0.07.
    for (int i = 0; i < 40; ++i) {
        const float s = i % 2 ? 1.0f : 0.0f;
        accelerometer.feed(0.05f * s, -1 + 0.06f * s, 0.07f * s);
    }
    float mean = 0;
    EXPECT_FALSE(position.stable(0.07f, mean));
    EXPECT_NEAR(mean, 0.06f, 1e-6f);
    EXPECT_TRUE(position.stable(0.0701f, mean));
    EXPECT_TRUE(position.shaking(0.065f, mean));
    EXPECT_FALSE(position.shaking(0.07f, mean));
}

TEST_F(DevicePositionTest, AJoltIsTimedAtTheSampleWhereItCrossedTheThreshold) {
    // One sample each 0.1 s: at rest, then 0.3 g, then the 0.8 g peak.
    const auto feedAt = [&](float x) {
        loop.advance(0.1);
        accelerometer.feed(x, -1, 0);
    };
    for (int i = 0; i < 12; ++i)
        feedAt(0);
    EXPECT_FALSE(position.joltTime(0.5f));
    feedAt(0.3f);
    const RunLoop::Duration crossed = loop.now() + RunLoop::seconds(0.1);
    feedAt(0.6f);
    feedAt(0.8f);
    EXPECT_EQ(position.joltTime(0.5f), crossed);  // where it crossed 0.5 g, not the peak
    EXPECT_EQ(position.joltTime(0.25f), crossed - RunLoop::seconds(0.1));
    EXPECT_FALSE(position.joltTime(0.8f));  // a range of exactly 0.8 g is not above it
    // Once the jolt leaves the window, the time is where the remaining
    // samples moved (still at its peak ten samples on: no jolt).
    for (int i = 0; i < 10; ++i)
        feedAt(0.8f);
    EXPECT_FALSE(position.joltTime(0.5f));
}

TEST_F(DevicePositionTest, TheRingKeepsTheLastHundred) {
    accelerometer.feed(1, 0, 0, 100);
    accelerometer.feed(0, 0, 0);
    EXPECT_EQ(position.total(), 100);
    EXPECT_FLOAT_EQ(position.average(0, 100), 0.99f);
    EXPECT_FLOAT_EQ(position.average(0, 1), 0.0f);
}

TEST(SimulatedAccelerometerTest, NamedMotionsMoveTheDevicePosition) {
    ManualRunLoop loop;
    NotificationCenter center;
    auto accelerometer = SimulatedAccelerometer::named(loop, "landscape-right");
    ASSERT_TRUE(accelerometer);
    DevicePosition position(*accelerometer, loop, center);
    position.setInterval(0.1);
    position.restart();
    loop.advance(5.0);
    EXPECT_EQ(position.orientation(), DevicePosition::kLandscapeXPositive);
    EXPECT_GT(position.total(), 40);
    float mean = 0;
    EXPECT_TRUE(position.stable(0.058f, mean));
    EXPECT_FALSE(SimulatedAccelerometer::named(loop, "wobble"));

    auto toss = SimulatedAccelerometer::named(loop, "toss");
    EXPECT_FALSE(toss->at(1.0).x > 1);
    EXPECT_GT(toss->at(2.1).x, 1);
    auto tremor = SimulatedAccelerometer::named(loop, "tremor");
    EXPECT_NE(tremor->at(0.3).x, tremor->at(0.4).x);
}

TEST(SimulatedAccelerometerTest, TracesPlayTheirSamples) {
    test::TempDir dir;
    std::ofstream(dir / "trace.csv") << "t,x,y,z\n0,0,-1,0\n1.5,1,0,0\n";
    ManualRunLoop loop;
    std::string error;
    auto trace = SimulatedAccelerometer::fromTrace(loop, dir / "trace.csv", &error);
    ASSERT_TRUE(trace) << error;
    EXPECT_FLOAT_EQ(trace->at(1.4).y, -1);
    EXPECT_FLOAT_EQ(trace->at(1.5).x, 1);
    EXPECT_FLOAT_EQ(trace->at(99).x, 1);
    std::ofstream(dir / "bad.csv") << "0,0,-1,0\n2,1,0\n";
    EXPECT_FALSE(SimulatedAccelerometer::fromTrace(loop, dir / "bad.csv", &error));
    EXPECT_NE(error.find(":2:"), std::string::npos) << error;
    std::ofstream(dir / "backwards.csv") << "2,0,-1,0\n1,1,0,0\n";
    EXPECT_FALSE(SimulatedAccelerometer::fromTrace(loop, dir / "backwards.csv"));
    EXPECT_FALSE(SimulatedAccelerometer::fromTrace(loop, dir / "missing.csv"));
}

}  // namespace
}  // namespace kestrel
