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
    const RunLoop::Duration jolt = host.loop.now();
    accelerometer.feed(0.6f, -1, 0);
    host.loop.advance(0.05);
    EXPECT_EQ(host.requests.size(), 1u);
    EXPECT_FALSE(toss.autoStart());  // each picture needs a press
    // The photo is of the sample that crossed the threshold, not of the poll.
    EXPECT_EQ(toss.takeEventTime(), jolt);
}

TEST_F(ModesTest, TimerIntervalRequestsPicturesStartToStartWithoutDrift) {
    record.timer().setTimerDelay(5);
    record.timer().setInterval(10);
    record.timer().setCount(4);
    CameraTimerHandler timer;
    attach(timer);
    timer.shutter();
    host.loop.advance(5.2 - 1e-6);
    EXPECT_TRUE(host.requests.empty());
    host.loop.advance(1e-6);
    ASSERT_EQ(host.requests.size(), 1u);
    // Between the pictures: waiting, no count-down, a press would stop it.
    host.loop.advance(1.0);
    EXPECT_EQ(timer.state(), CameraHandler::kDelay);
    EXPECT_TRUE(timer.waitingForNext());
    EXPECT_TRUE(host.label.hidden());
    EXPECT_EQ(host.shutter.currentImage(), "pause.png");
    host.loop.advance(100.0);
    // Press + delay, then every interval from the first; four and no more.
    const std::vector<RunLoop::Duration> expected{RunLoop::seconds(5.2), RunLoop::seconds(15.2),
                                                  RunLoop::seconds(25.2), RunLoop::seconds(35.2)};
    EXPECT_EQ(host.requests, expected);
    EXPECT_EQ(timer.state(), CameraHandler::kIdle);
    EXPECT_FALSE(timer.autoStart());
    EXPECT_FALSE(timer.waitingForNext());

    // Until pressed: a thousand pictures, the last exactly 999 intervals after the first.
    record.timer().setCount(0);
    record.timer().setInterval(5);
    host.requests.clear();
    timer.shutter();
    while (host.requests.size() < 1000)
        host.loop.advance(50.0);
    EXPECT_EQ(host.requests[999] - host.requests[0], RunLoop::seconds(999 * 5.0));
    EXPECT_EQ(timer.taken(), static_cast<int>(host.requests.size()));
    // A press while waiting ends the series.
    EXPECT_TRUE(timer.shutter());
    const std::size_t taken = host.requests.size();
    host.loop.advance(60.0);
    EXPECT_EQ(host.requests.size(), taken);
    EXPECT_EQ(timer.state(), CameraHandler::kIdle);
    EXPECT_EQ(host.shutter.currentImage(), "camera.png");
}

TEST_F(ModesTest, TimerRepeatStopsAfterItsCountAndAnIntervalSeriesIgnoresReady) {
    record.timer().setTimerDelay(1);
    record.timer().setRepeat(true);
    record.timer().setCount(3);
    CameraTimerHandler timer;
    attach(timer);
    timer.shutter();
    host.loop.advance(20.0);
    EXPECT_EQ(host.requests.size(), 3u);  // count-down before each, three per press
    EXPECT_EQ(host.requests[2], RunLoop::seconds(3 * 1.2));
    EXPECT_FALSE(timer.autoStart());
    timer.shutter();  // a new press, a new series of three
    host.loop.advance(20.0);
    EXPECT_EQ(host.requests.size(), 6u);

    // The controller readies the handler whenever a save ends, late or early:
    // the interval series keeps its own times.
    record.timer().setInterval(5);
    record.timer().setCount(0);
    host.requests.clear();
    timer.shutter();
    host.loop.advance(1.2);
    for (int i = 0; i < 7; ++i) {
        host.loop.advance(0.7);
        timer.ready();
    }
    host.loop.advance(10.0);
    ASSERT_GE(host.requests.size(), 3u);
    EXPECT_EQ(host.requests[1] - host.requests[0], RunLoop::seconds(5.0));
    EXPECT_EQ(host.requests[2] - host.requests[0], RunLoop::seconds(10.0));
}

TEST_F(ModesTest, StabilizerGivesUpWaitingAfterItsMaximumWait) {
    record.stablizer().setMaxWait(10);
    CameraStabilizerHandler stabilizer;
    attach(stabilizer);
    host.loop.advance(0.2);  // samples start
    stabilizer.shutter();
    const RunLoop::Duration first = host.loop.now();
    // A device that never holds still: 0.3 g swings, ten samples a second.
    auto shake = [&](double seconds) {
        for (int i = 0; i < static_cast<int>(seconds * 10 + 0.5); ++i) {
            accelerometer.feed(i % 2 ? 0.3f : -0.3f, -1, 0);
            host.loop.advance(0.1);
        }
    };
    shake(9.9);
    EXPECT_TRUE(host.requests.empty());
    shake(0.2);
    ASSERT_EQ(host.requests.size(), 1u);
    EXPECT_GE(host.requests[0] - first, RunLoop::seconds(10.0));
    EXPECT_LE(host.requests[0] - first, RunLoop::seconds(10.05));
    // Each press waits its own maximum; 0 waits for ever.
    stabilizer.shutter();
    const RunLoop::Duration pressed = host.loop.now();
    shake(12.0);
    ASSERT_EQ(host.requests.size(), 2u);
    EXPECT_GE(host.requests[1] - pressed, RunLoop::seconds(10.0));
    record.stablizer().setMaxWait(0);
    stabilizer.shutter();
    shake(60.0);
    EXPECT_EQ(host.requests.size(), 2u);
    EXPECT_EQ(stabilizer.state(), CameraHandler::kSensing);
}

// Why each picture is taken, as the mode tells it when it asks: the
// stabilizer's wait for stillness or its maximum wait, the toss's jolt, the
// timer's delay and an interval series' number.
TEST_F(ModesTest, EachPictureSaysWhatTookIt) {
    {
        CameraStabilizerHandler stabilizer;
        attach(stabilizer);
        host.loop.advance(0.2);  // samples start
        stabilizer.shutter();    // sensing from 0.2 s
        host.loop.advance(2.45);
        accelerometer.feed(0, -1, 0, 31);  // steady at last
        host.loop.advance(0.05);
        record.stablizer().setMaxWait(3);
        stabilizer.shutter();
        for (int i = 0; i < 40; ++i) {  // never still
            accelerometer.feed(i % 2 ? 0.3f : -0.3f, -1, 0);
            host.loop.advance(0.1);
        }
        EXPECT_EQ(host.reasons, (std::vector<std::string>{"steady 2.5 s", "not steady within 3 s"}));
    }
    host.reasons.clear();
    {
        CameraTossHandler toss;  // 0.5 g
        attach(toss);
        toss.shutter();
        accelerometer.feed(0, -1, 0, 10);
        accelerometer.feed(0.1f, -1.72f, 0.2f);  // the jolt: 0.72 g on y
        host.loop.advance(0.05);
        EXPECT_EQ(host.reasons, (std::vector<std::string>{"jolt 0.72 g over 0.5 g"}));
    }
    host.reasons.clear();
    {
        record.timer().setTimerDelay(2);
        CameraTimerHandler timer;
        attach(timer);
        timer.shutter();
        host.loop.advance(3.0);
        record.timer().setInterval(5);
        timer.shutter();  // pictures 2.2 s and 7.2 s after the press, ...
        host.loop.advance(9.0);
        timer.shutter();  // ... until a press ends the series
        record.timer().setCount(2);
        timer.shutter();
        host.loop.advance(13.0);
        EXPECT_EQ(host.reasons, (std::vector<std::string>{
                                    "timer 2 s", "timer 2 s, every 5 s, picture 1", "timer 2 s, every 5 s, picture 2",
                                    "timer 2 s, every 5 s, picture 1 of 2", "timer 2 s, every 5 s, picture 2 of 2"}));
    }
}

}  // namespace
}  // namespace kestrel
