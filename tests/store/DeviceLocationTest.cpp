#include "core/platform/ManualRunLoop.h"
#include "core/store/DeviceLocation.h"
#include "support/MemoryStore.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

using Clock = std::chrono::system_clock;

// A location service as desktops have them: it reports when started and,
// if `moving`, every ten seconds by itself; otherwise only when asked.
class FakeService final : public LocationManager {
public:
    FakeService(ManualRunLoop& loop, DeviceLocation::Clock clock) : loop_(&loop), clock_(std::move(clock)) {}
    ~FakeService() override {
        *alive_ = false;
        if (moveTimer_) loop_->cancel(moveTimer_);
    }

    bool locationServicesEnabled() const override { return true; }
    void setDelegate(Delegate* delegate) override { delegate_ = delegate; }
    void startUpdatingLocation() override {
        ++starts;
        report();
        if (moving) moveTimer_ = loop_->scheduleRepeating(RunLoop::seconds(10), [this] { report(); });
    }
    void setUpdateInterval(double seconds) override { intervals.push_back(seconds); }
    void requestUpdate() override {
        requests.push_back(RunLoop::toSeconds(loop_->now()));
        if (answers) loop_->post([this, alive = alive_] { if (*alive) report(); });
    }

    bool moving = false;
    bool answers = true;
    int starts = 0;
    std::vector<double> intervals;
    std::vector<double> requests;  // loop seconds

private:
    void report() {
        if (delegate_) delegate_->didUpdateToLocation(GeoPosition{47.37, 8.54, clock_()});
    }
    ManualRunLoop* loop_;
    DeviceLocation::Clock clock_;
    Delegate* delegate_ = nullptr;
    RunLoop::TimerId moveTimer_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class DeviceLocationFreshnessTest : public ::testing::Test {
protected:
    // The wall clock runs on the loop's virtual time.
    DeviceLocation::Clock clock = [this] {
        return Clock::time_point(std::chrono::hours(500000)) + loop.now();
    };
    FakeService& make() {
        auto service = std::make_unique<FakeService>(loop, clock);
        FakeService& raw = *service;
        location = std::make_unique<DeviceLocation>(store, std::move(service), loop, center);
        location->setClock(clock);
        return raw;
    }
    // Whether the photo taken at each whole second from now to `seconds` on
    // had a position.
    int secondsWithoutPosition(int seconds) {
        int without = 0;
        for (int second = 0; second < seconds; ++second) {
            loop.advance(1.0);
            without += !location->currentLocation();
        }
        return without;
    }

    test::MemoryStore store;
    ManualRunLoop loop;
    NotificationCenter center;
    std::unique_ptr<DeviceLocation> location;
};

TEST_F(DeviceLocationFreshnessTest, AStillDeviceIsAskedForItsPositionWhileTheCameraIsShown) {
    FakeService& service = make();
    loop.advance(1.0);
    ASSERT_EQ(service.starts, 1);
    EXPECT_EQ(service.intervals, std::vector<double>{DeviceLocation::kRefreshSeconds});
    ASSERT_TRUE(location->currentLocation());
    // Nothing more comes by itself: the first question half a minute after the last fix.
    loop.advance(DeviceLocation::kRefreshSeconds - 1e-6);
    EXPECT_TRUE(service.requests.empty());
    loop.advance(1e-6);
    ASSERT_EQ(service.requests.size(), 1u);
    EXPECT_DOUBLE_EQ(service.requests[0], 1.0 + DeviceLocation::kRefreshSeconds);
    // Ten minutes on, every photo had its position, and the service was
    // asked every half minute, no more.
    EXPECT_EQ(secondsWithoutPosition(600), 0);
    EXPECT_EQ(service.requests.size(), 21u);
    for (std::size_t i = 1; i < service.requests.size(); ++i)
        EXPECT_DOUBLE_EQ(service.requests[i] - service.requests[i - 1], DeviceLocation::kRefreshSeconds);
}

TEST_F(DeviceLocationFreshnessTest, AServiceThatReportsByItselfOrNeverAnswersIsAskedAccordingly) {
    FakeService& moving = make();
    moving.moving = true;
    loop.advance(1.0);
    EXPECT_EQ(secondsWithoutPosition(300), 0);
    EXPECT_TRUE(moving.requests.empty());  // its own reports keep the position fresh

    FakeService& silent = make();
    silent.answers = false;
    loop.advance(1.0);
    loop.advance(4 * DeviceLocation::kRefreshSeconds + 1);
    EXPECT_EQ(silent.requests.size(), 4u);  // asked again each half minute without an answer
    EXPECT_FALSE(location->currentLocation());  // its one fix has gone stale
}

TEST_F(DeviceLocationFreshnessTest, HiddenCameraLeavesTheServiceAloneAndAsksOnReturn) {
    FakeService& service = make();
    location->setActive(false);  // before the start: the service hears of it when started
    EXPECT_TRUE(service.intervals.empty());
    loop.advance(1.0);
    EXPECT_EQ(service.intervals, std::vector<double>{DeviceLocation::kHiddenUpdateSeconds});
    loop.advance(600);
    EXPECT_TRUE(service.requests.empty());
    EXPECT_FALSE(location->currentLocation());  // stale, and nobody takes a photo

    // Back to the camera: asked at once, then every half minute again.
    location->setActive(true);
    EXPECT_EQ(service.intervals.back(), DeviceLocation::kRefreshSeconds);
    ASSERT_EQ(service.requests.size(), 1u);
    loop.advance(0.0);
    EXPECT_TRUE(location->currentLocation());
    EXPECT_EQ(secondsWithoutPosition(120), 0);
    EXPECT_EQ(service.requests.size(), 5u);

    // Hidden and shown within half a minute of a fix: no question needed.
    location->setActive(false);
    EXPECT_EQ(service.intervals.back(), DeviceLocation::kHiddenUpdateSeconds);
    loop.advance(5.0);
    location->setActive(true);
    location->setActive(true);  // said twice, done once
    EXPECT_EQ(service.requests.size(), 5u);
    EXPECT_EQ(service.intervals.size(), 4u);
}

TEST_F(DeviceLocationFreshnessTest, NoQuestionsWhereLocationIsNotUsed) {
    store.setInteger(3, DeviceLocation::kRejectionKey);  // three starts without a position
    FakeService& service = make();
    loop.advance(600);
    location->setActive(false);
    location->setActive(true);
    loop.advance(600);
    EXPECT_EQ(service.starts, 0);
    EXPECT_TRUE(service.requests.empty());
    EXPECT_TRUE(service.intervals.empty());
}

}  // namespace
}  // namespace kestrel
