#include "core/modes/CameraStabilizerHandler.h"
#include "core/modes/CameraTimerHandler.h"
#include "core/platform/ManualRunLoop.h"
#include "core/sensors/DevicePosition.h"
#include "core/ui/ImageView.h"

#include "support/FakeHandlerHost.h"
#include "support/HandlerFixture.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

class HandAccelerometer final : public Accelerometer {
public:
    void setUpdateInterval(double) override {}
    void setDelegate(Delegate d) override { delegate = std::move(d); }
    void feed(float x, float y, float z, int times = 1) {
        for (int i = 0; i < times; ++i)
            delegate(x, y, z);
    }
    Delegate delegate;
};

using Host = test::ReadyingHost;

class ModesTest : public test::HandlerFixture<Host> {
protected:
    HandAccelerometer accelerometer;
    NotificationCenter center;
    DevicePosition position{accelerometer, host.loop, center};
};

TEST_F(ModesTest, TimerOfOneSecond) {
    record.timer().setTimerDelay(1);
    CameraTimerHandler timer;
    attach(timer);
    EXPECT_TRUE(timer.shutter());
    host.loop.advance(0.25);
    EXPECT_EQ(host.label.text(), "1");
    host.loop.advance(2.0);
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_EQ(host.requests[0], RunLoop::seconds(1.2));
    EXPECT_EQ(timer.state(), CameraHandler::kIdle);  // repeat off: stays idle
}

TEST_F(ModesTest, TimerRepeatsUntilAPressStopsIt) {
    record.timer().setTimerDelay(1);
    record.timer().setRepeat(true);
    CameraTimerHandler timer;
    attach(timer);
    timer.shutter();
    host.loop.advance(3 * 1.2 + 0.1);
    EXPECT_EQ(host.requests.size(), 3u);
    EXPECT_EQ(timer.state(), CameraHandler::kDelay);  // the fourth count-down
    timer.shutter();
    host.loop.advance(10.0);
    EXPECT_EQ(host.requests.size(), 3u);
    EXPECT_FALSE(timer.autoStart());
}

TEST_F(ModesTest, StabilizerAutoShutterCountsDownOnceThenSensesAgain) {
    record.stablizer().setAutoShutter(true);
    record.stablizer().setShutterDelay(3);
    CameraStabilizerHandler stabilizer;
    attach(stabilizer);
    host.loop.advance(0.2);  // samples start
    std::vector<std::string> numbers;
    stabilizer.ready();
    for (int i = 0; i < 70; ++i) {
        host.loop.advance(0.05);
        if (!host.label.text().empty() && (numbers.empty() || numbers.back() != host.label.text()))
            numbers.push_back(host.label.text());
    }
    EXPECT_EQ(numbers, (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(stabilizer.state(), CameraHandler::kSensing);
    EXPECT_EQ(host.status->imageName(), "Status_Shaking.png");
    accelerometer.feed(0, -1, 0, 31);  // steady
    host.loop.advance(0.05);
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_TRUE(stabilizer.autoStart());
    // After the picture (the host calls ready at once): back to sensing, no count-down.
    EXPECT_EQ(stabilizer.state(), CameraHandler::kSensing);
    EXPECT_TRUE(host.label.hidden());
    EXPECT_TRUE(stabilizer.shutter());  // a press stops it and clears autoStart
    EXPECT_FALSE(stabilizer.autoStart());
    EXPECT_TRUE(host.panel.hidden());
    EXPECT_EQ(host.status->imageName(), "");
    EXPECT_EQ(host.shutter.currentImage(), "camera.png");
}

TEST_F(ModesTest, StabilizerManualStartsSensingAtOnceAndHonoursItsLevel) {
    record.stablizer().setShutterDelay(10);
    record.stablizer().setSensitivity(3);  // 0.058 g
    CameraStabilizerHandler stabilizer;
    attach(stabilizer);
    stabilizer.ready();
    EXPECT_EQ(stabilizer.state(), CameraHandler::kIdle);
    EXPECT_TRUE(stabilizer.shutter());
    EXPECT_EQ(stabilizer.state(), CameraHandler::kSensing);
    host.loop.advance(0.2);
    for (int i = 0; i < 40; ++i)
        accelerometer.feed(i % 2 ? 0.06f : 0.0f, -1, 0);
    host.loop.advance(0.05);
    EXPECT_TRUE(host.requests.empty());    // 0.06 g is not below 0.058
    record.stablizer().setSensitivity(2);  // 0.085 g
    host.loop.advance(0.05);
    EXPECT_EQ(host.requests.size(), 1u);
}

TEST_F(ModesTest, TossFiresOnMovementAboveItsThreshold) {
    CameraTossHandler toss;  // level 0: 0.5 g
    attach(toss);
    EXPECT_FLOAT_EQ(toss.sensitivity(), 0.5f);
    toss.shutter();
    host.loop.advance(0.2);
    for (int i = 0; i < 20; ++i)
        accelerometer.feed(i % 2 ? 0.4f : 0.0f, -1 + (i % 2 ? 0.4f : 0.0f), i % 2 ? 0.4f : 0.0f);
    host.loop.advance(0.05);
    EXPECT_TRUE(host.requests.empty());
    EXPECT_NEAR(host.indicator.level(), 0.8f, 1e-5f);  // mean range / threshold
    accelerometer.feed(0.6f, -1, 0);
    host.loop.advance(0.05);
    EXPECT_EQ(host.requests.size(), 1u);
    EXPECT_FALSE(toss.autoStart());  // each picture needs a press
}

}  // namespace
}  // namespace kestrel
