#include "core/modes/CameraTimerHandler.h"
#include "core/platform/ManualRunLoop.h"
#include "support/FakeHandlerHost.h"
#include "support/HandlerFixture.h"
#include "support/LocalTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestrel {
namespace {

using std::chrono::hours;
using std::chrono::minutes;

// The timer mode with active hours, on a virtual day that starts when each
// test says (mid-June: no clock change in the test's zone; the days with
// one are in the command's tests, under a zone of their own).
class TimerActiveHoursTest : public test::HandlerFixture<test::ReadyingHost> {
protected:
    void startDayAt(int hour, int minute, int second = 0) {
        host.loop.setWallStart(test::localTime(2026, 6, 15, hour, minute, second));
    }
    void activeHours(int from, int to) {
        record.timer().setActiveHours(true);
        record.timer().setActiveFrom(from);
        record.timer().setActiveTo(to);
    }
    // The local times of day the pictures were asked for at.
    std::vector<std::string> requestClocks() const {
        std::vector<std::string> clocks;
        for (const auto& at : host.requests) clocks.push_back(test::clockOf(host.loop.wallTime(at)));
        return clocks;
    }
    std::vector<std::string> eventsWith(const std::string& text) const {
        std::vector<std::string> found;
        for (const auto& event : host.events)
            if (event.find(text) != std::string::npos) found.push_back(event);
        return found;
    }
};

TEST_F(TimerActiveHoursTest, AnIntervalSeriesAcrossMidnightShootsOnlyInsideAndTakesItsCount) {
    startDayAt(21, 50);
    activeHours(22 * 60, 2 * 60);
    record.timer().setTimerDelay(10);
    record.timer().setInterval(1800);
    record.timer().setCount(10);
    CameraTimerHandler timer;
    attach(timer);
    timer.shutter();
    // Due at 21:50:10.2, outside: skipped, and the series waits, saying so.
    host.loop.advance(10.2);
    EXPECT_TRUE(host.requests.empty());
    EXPECT_EQ(timer.taken(), 0);
    EXPECT_TRUE(timer.waitingForActiveHours());
    EXPECT_EQ(timer.state(), CameraHandler::kDelay);  // a press would end it
    EXPECT_FALSE(host.save.hidden());
    EXPECT_EQ(host.save.text(), "Active hours: next photo 22:20");
    EXPECT_EQ(eventsWith("skipped"),
              std::vector<std::string>{
                  "picture skipped (outside active hours), next at 2026-06-15 22:20:10"});
    // The series keeps its clock: 22:20:10.2, then every half hour to 01:50:10.2,
    // nothing from 02:00 to 22:00, then the next night's two.
    host.loop.advance(hours(48));
    EXPECT_EQ(requestClocks(),
              (std::vector<std::string>{"22:20:10", "22:50:10", "23:20:10", "23:50:10",
                                        "00:20:10", "00:50:10", "01:20:10", "01:50:10",
                                        "22:20:10", "22:50:10"}));
    for (const auto& at : host.requests)
        EXPECT_EQ((at - RunLoop::seconds(10.2)) % minutes(30), RunLoop::Duration(0));
    EXPECT_EQ(host.requests[8] - host.requests[0], hours(24));
    EXPECT_EQ(timer.taken(), 10);
    EXPECT_EQ(timer.state(), CameraHandler::kIdle);
    EXPECT_FALSE(timer.waitingForNext());
    EXPECT_TRUE(host.save.hidden());
    EXPECT_EQ(eventsWith("skipped").size(), 2u);  // once each time the span closed
    EXPECT_EQ(eventsWith("skipped").back(),
              "picture skipped (outside active hours), next at 2026-06-16 22:20:10");
}

TEST_F(TimerActiveHoursTest, APressOutsideCountsDownAndThePictureWaitsForTheSpansStart) {
    startDayAt(5, 0);
    activeHours(7 * 60, 19 * 60);
    record.timer().setTimerDelay(10);
    CameraTimerHandler timer;
    attach(timer);
    timer.shutter();
    host.loop.advance(0.25);
    EXPECT_EQ(host.label.text(), "10");  // the press is seen: the count-down runs
    host.loop.advance(10.0);
    EXPECT_TRUE(host.requests.empty());
    EXPECT_TRUE(timer.waitingForActiveHours());
    EXPECT_TRUE(host.label.hidden());  // no count-down while waiting, no beeps
    EXPECT_EQ(host.save.text(), "Active hours: next photo 07:00");
    EXPECT_EQ(host.shutter.currentImage(), "pause.png");
    // The count-down starts so that it ends as the span begins.
    const RunLoop::Duration countDown = RunLoop::seconds(10.2);
    host.loop.advance(hours(2) - countDown - RunLoop::seconds(10.25) - RunLoop::Duration(1));
    EXPECT_EQ(timer.state(), CameraHandler::kDelay);
    EXPECT_TRUE(host.label.hidden());
    host.loop.advance(RunLoop::Duration(1) + RunLoop::seconds(0.25));
    EXPECT_FALSE(host.label.hidden());
    EXPECT_EQ(host.label.text(), "10");
    EXPECT_TRUE(host.save.hidden());
    host.loop.advance(hours(1));
    EXPECT_EQ(requestClocks(), std::vector<std::string>{"07:00:00"});
    EXPECT_EQ(host.requests[0], hours(2));
    EXPECT_EQ(timer.taken(), 1);
    EXPECT_EQ(timer.state(), CameraHandler::kIdle);  // repeat off: one picture
    EXPECT_FALSE(timer.autoStart());
}

TEST_F(TimerActiveHoursTest, ARepeatingSeriesSkipsWhatFallsAfterTheEndAndGoesOnNextMorning) {
    startDayAt(18, 59, 30);
    activeHours(7 * 60, 19 * 60);
    record.timer().setTimerDelay(10);
    record.timer().setRepeat(true);
    record.timer().setCount(3);
    CameraTimerHandler timer;
    attach(timer);
    timer.shutter();
    host.loop.advance(hours(20));
    // 18:59:40.2 and 18:59:50.4 inside; 19:00:00.6 skipped; then 07:00:00.
    EXPECT_EQ(requestClocks(), (std::vector<std::string>{"18:59:40", "18:59:50", "07:00:00"}));
    EXPECT_EQ(host.requests[2], hours(12) + std::chrono::seconds(30));
    EXPECT_EQ(timer.taken(), 3);
    EXPECT_FALSE(timer.autoStart());
    EXPECT_EQ(timer.state(), CameraHandler::kIdle);
}

TEST_F(TimerActiveHoursTest, APressOrLeavingTheCameraWhileWaitingEndsTheSeries) {
    startDayAt(12, 0);
    activeHours(22 * 60, 2 * 60);
    record.timer().setTimerDelay(1);
    record.timer().setInterval(60);
    CameraTimerHandler timer;
    attach(timer);
    timer.shutter();
    host.loop.advance(5.0);
    ASSERT_TRUE(timer.waitingForActiveHours());
    // The saving of a picture took the label meanwhile: ready shows it again.
    host.save.setHidden(true);
    timer.ready();
    EXPECT_FALSE(host.save.hidden());
    EXPECT_TRUE(timer.shutter());
    EXPECT_FALSE(timer.waitingForNext());
    EXPECT_FALSE(timer.autoStart());
    EXPECT_EQ(timer.state(), CameraHandler::kIdle);
    EXPECT_TRUE(host.save.hidden());
    EXPECT_EQ(host.shutter.currentImage(), "camera.png");
    host.loop.advance(hours(24));
    EXPECT_TRUE(host.requests.empty());
    EXPECT_EQ(host.events.back(), "series stopped");

    // Another message on the label stays when the wait ends.
    timer.shutter();
    host.loop.advance(5.0);
    ASSERT_TRUE(timer.waitingForActiveHours());
    host.save.setText("Saving to Camera Roll...");
    timer.shutter();
    EXPECT_FALSE(host.save.hidden());
    EXPECT_EQ(host.save.text(), "Saving to Camera Roll...");
}

TEST_F(TimerActiveHoursTest, HoursOffOrAWholeDayTakeEveryPictureAsBefore) {
    startDayAt(3, 0);
    record.timer().setTimerDelay(1);
    record.timer().setInterval(5);
    record.timer().setCount(3);
    for (const bool on : {false, true}) {
        // Off, with a span that would skip everything; then on, with equal ends.
        record.timer().setActiveHours(on);
        record.timer().setActiveFrom(on ? 600 : 12 * 60);
        record.timer().setActiveTo(on ? 600 : 13 * 60);
        host.requests.clear();
        CameraTimerHandler timer;
        attach(timer);
        const RunLoop::Duration pressed = host.loop.now();
        timer.shutter();
        host.loop.advance(30.0);
        ASSERT_EQ(host.requests.size(), 3u) << on;
        EXPECT_EQ(host.requests[0] - pressed, RunLoop::seconds(1.2));
        EXPECT_EQ(host.requests[2] - pressed, RunLoop::seconds(11.2));
        EXPECT_TRUE(eventsWith("skipped").empty());
        EXPECT_TRUE(host.save.text().empty());  // nothing said: nothing waits
    }
}

}  // namespace
}  // namespace kestrel
