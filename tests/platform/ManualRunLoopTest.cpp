#include "core/platform/ManualRunLoop.h"
#include "core/platform/Timer.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace kestrel {
namespace {

using std::chrono::microseconds;
using Log = std::vector<std::string>;

TEST(ManualRunLoopTest, OneShotFiresAtItsDeadlineNotAMicrosecondBefore) {
    ManualRunLoop loop;
    int fired = 0;
    RunLoop::Duration firedAt{};
    loop.schedule(RunLoop::seconds(0.05), [&] {
        ++fired;
        firedAt = loop.now();
    });
    loop.advance(microseconds(49'999));
    EXPECT_EQ(fired, 0);
    loop.advance(microseconds(1));
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(firedAt, microseconds(50'000));
    loop.advance(10.0);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST(ManualRunLoopTest, RepeatingTimerKeepsItsScheduleTickByTick) {
    ManualRunLoop loop;
    std::vector<RunLoop::Duration> ticks;
    loop.scheduleRepeating(RunLoop::seconds(0.05), [&] { ticks.push_back(loop.now()); });
    // A 60-second count-down at 0.05 s: exactly 1200 ticks, no drift.
    loop.advance(60.0);
    ASSERT_EQ(ticks.size(), 1200u);
    for (std::size_t i = 0; i < ticks.size(); ++i)
        ASSERT_EQ(ticks[i], microseconds(50'000 * static_cast<long>(i + 1))) << "tick " << i;
    EXPECT_EQ(loop.now(), microseconds(60'000'000));
}

TEST(ManualRunLoopTest, TimersDueTogetherFireInSchedulingOrder) {
    ManualRunLoop loop;
    Log log;
    loop.schedule(RunLoop::seconds(0.2), [&] { log.push_back("late"); });
    loop.schedule(RunLoop::seconds(0.1), [&] { log.push_back("a"); });
    loop.schedule(RunLoop::seconds(0.1), [&] { log.push_back("b"); });
    loop.scheduleRepeating(RunLoop::seconds(0.1), [&] { log.push_back("r"); });
    loop.schedule(RunLoop::seconds(0.1), [&] { log.push_back("c"); });
    loop.advance(0.2);
    // At 0.2 the repeating timer was re-armed at 0.1, after "late" was scheduled.
    EXPECT_EQ(log, (Log{"a", "b", "r", "c", "late", "r"}));
}

TEST(ManualRunLoopTest, PostsRunFifoAfterTheCurrentCallbackBeforeTheNextTimer) {
    ManualRunLoop loop;
    Log log;
    loop.schedule(RunLoop::seconds(1), [&] {
        loop.post([&] {
            log.push_back("post 1");
            loop.post([&] { log.push_back("post 3"); });
        });
        loop.post([&] { log.push_back("post 2"); });
        log.push_back("timer 1 end");
    });
    loop.schedule(RunLoop::seconds(1), [&] { log.push_back("timer 2"); });
    loop.advance(1.0);
    EXPECT_EQ(log, (Log{"timer 1 end", "post 1", "post 2", "post 3", "timer 2"}));
}

TEST(ManualRunLoopTest, PostsAndZeroDelayTimersRunWithoutMovingTheClock) {
    ManualRunLoop loop;
    Log log;
    loop.advance(2.5);
    loop.post([&] {
        log.push_back("post");
        loop.schedule(RunLoop::Duration::zero(), [&] { log.push_back("zero-delay timer"); });
    });
    loop.runUntilIdle();
    EXPECT_EQ(log, (Log{"post", "zero-delay timer"}));
    EXPECT_EQ(loop.now(), RunLoop::seconds(2.5));
}

TEST(ManualRunLoopTest, CancelFromInsideCallbacks) {
    ManualRunLoop loop;
    int repeats = 0;
    int other = 0;
    RunLoop::TimerId victim = loop.schedule(RunLoop::seconds(0.1), [&] { ++other; });
    RunLoop::TimerId repeating = 0;
    repeating = loop.scheduleRepeating(RunLoop::seconds(0.1), [&] {
        ++repeats;
        if (repeats == 3) {
            EXPECT_TRUE(loop.cancel(repeating));
        }
    });
    // A timer cancelled by another callback before it is due never fires.
    RunLoop::TimerId late = loop.schedule(RunLoop::seconds(0.15), [&] { ++other; });
    loop.schedule(RunLoop::seconds(0.1), [&] { EXPECT_TRUE(loop.cancel(late)); });
    loop.advance(1.0);
    EXPECT_EQ(repeats, 3);
    EXPECT_EQ(other, 1);
    EXPECT_FALSE(loop.cancel(victim));  // fired for good
    EXPECT_FALSE(loop.isScheduled(repeating));
    EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST(ManualRunLoopTest, RescheduleFromInsideCallbacks) {
    ManualRunLoop loop;
    std::vector<RunLoop::Duration> oneShot;
    std::vector<RunLoop::Duration> repeating;
    RunLoop::TimerId once = 0;
    once = loop.schedule(RunLoop::seconds(1), [&] {
        oneShot.push_back(loop.now());
        if (oneShot.size() < 3) {
            EXPECT_TRUE(loop.reschedule(once, RunLoop::seconds(0.5)));
        }
    });
    RunLoop::TimerId every = 0;
    every = loop.scheduleRepeating(RunLoop::seconds(1), [&] {
        repeating.push_back(loop.now());
        // Every 2 s from the first firing on: the new interval stays.
        if (repeating.size() == 1) {
            EXPECT_TRUE(loop.reschedule(every, RunLoop::seconds(2)));
        }
    });
    loop.advance(7.0);
    EXPECT_EQ(oneShot, (std::vector{RunLoop::seconds(1), RunLoop::seconds(1.5), RunLoop::seconds(2)}));
    EXPECT_EQ(repeating, (std::vector{RunLoop::seconds(1), RunLoop::seconds(3), RunLoop::seconds(5),
                                      RunLoop::seconds(7)}));
    EXPECT_FALSE(loop.reschedule(once, RunLoop::seconds(1)));
}

TEST(ManualRunLoopTest, CallbackMayDestroyWhatItsTimerCaptured) {
    ManualRunLoop loop;
    auto owner = std::make_unique<Timer>(loop);
    int fired = 0;
    owner->startRepeating(RunLoop::seconds(0.1), [&] {
        ++fired;
        owner.reset();  // cancels the timer that is running this callback
    });
    loop.advance(1.0);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST(ManualRunLoopTest, TimerOwnsItsFiring) {
    ManualRunLoop loop;
    int first = 0;
    int second = 0;
    {
        Timer timer(loop);
        timer.start(RunLoop::seconds(1), [&] { ++first; });
        EXPECT_TRUE(timer.isRunning());
        timer.start(RunLoop::seconds(2), [&] { ++second; });  // replaces the first
        loop.advance(1.5);
        EXPECT_EQ(first, 0);
        EXPECT_TRUE(timer.isRunning());
    }
    loop.advance(5.0);  // destroyed before it was due
    EXPECT_EQ(second, 0);
    EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST(ManualRunLoopTest, AdvanceToNextTimerJumpsExactly) {
    ManualRunLoop loop;
    EXPECT_FALSE(loop.advanceToNextTimer());
    int fired = 0;
    loop.schedule(RunLoop::seconds(0.25), [&] { ++fired; });
    EXPECT_EQ(loop.nextDue(), RunLoop::seconds(0.25));
    EXPECT_TRUE(loop.advanceToNextTimer());
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(loop.now(), RunLoop::seconds(0.25));
}

// A loop on the wall clock waits, then catches up: a picture that came from
// the camera's thread while it waited is received at the time the loop takes
// it up, and what it starts is timed from then, not from when the wait began.
TEST(ManualRunLoopTest, CatchingUpRunsWhatWasPostedMeanwhileAtTheTimeCaughtUpTo) {
    ManualRunLoop loop;
    std::vector<std::pair<std::string, double>> seen;
    auto note = [&](const std::string& what) { seen.emplace_back(what, RunLoop::toSeconds(loop.now())); };
    loop.schedule(RunLoop::seconds(1), [&] { note("timer"); });
    loop.catchUp(RunLoop::seconds(1.5));
    std::thread([&] {
        loop.post([&] {
            note("picture");
            loop.schedule(RunLoop::seconds(2), [&] { note("review over"); });
        });
    }).join();
    loop.catchUp(RunLoop::seconds(2.25));
    loop.catchUp(RunLoop::seconds(4));
    loop.catchUp(RunLoop::seconds(3));  // a clock never goes back
    loop.catchUp(RunLoop::seconds(4.25));
    using Seen = std::vector<std::pair<std::string, double>>;
    EXPECT_EQ(seen, (Seen{{"timer", 1}, {"picture", 2.25}, {"review over", 4.25}}));
    EXPECT_EQ(loop.now(), RunLoop::seconds(4.25));
}

// A loop driven by real time whose callback took a while: the clock moved
// on without firing, and the timers then due fire once each, late, a
// repeating one skipping what it missed but keeping its schedule.
TEST(ManualRunLoopTest, KeepingUpWithTheClockFiresLateTimersOnceOnTheirSchedule) {
    ManualRunLoop loop;
    std::vector<double> ticks;
    Log log;
    loop.scheduleRepeating(RunLoop::seconds(1), [&] { ticks.push_back(RunLoop::toSeconds(loop.now())); });
    loop.schedule(RunLoop::seconds(1), [&] {
        loop.keepUpWith(RunLoop::seconds(3.5));  // as if the callback took 2.5 s
        loop.schedule(RunLoop::seconds(0.25), [&] { log.push_back("set late"); });
        log.push_back("long callback");
    });
    loop.advance(1.0);
    EXPECT_EQ(loop.now(), RunLoop::seconds(3.5)) << "the clock never goes back";
    loop.runUntilIdle();
    EXPECT_EQ(log, Log{"long callback"}) << "set late: due 0.25 s after it was set";
    loop.advance(0.25);
    EXPECT_EQ(log, (Log{"long callback", "set late"}));
    loop.advance(0.75);
    EXPECT_EQ(ticks, (std::vector<double>{1, 3.5, 4.0}));
    loop.keepUpWith(RunLoop::seconds(1));  // never backwards
    EXPECT_EQ(loop.now(), RunLoop::seconds(4.5));
}

TEST(ManualRunLoopTest, PostsFromOtherThreadsAllArriveInTheirOrder) {
    ManualRunLoop loop;
    std::vector<int> seen[2];
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&loop, &seen, t] {
            for (int i = 0; i < 500; ++i) loop.post([&seen, t, i] { seen[t].push_back(i); });
        });
    for (auto& thread : threads) thread.join();
    loop.runUntilIdle();
    for (auto& perThread : seen) {
        ASSERT_EQ(perThread.size(), 500u);
        for (int i = 0; i < 500; ++i) EXPECT_EQ(perThread[static_cast<std::size_t>(i)], i);
    }
}

TEST(ManualRunLoopTest, SecondsRoundToTheNearestMicrosecond) {
    EXPECT_EQ(RunLoop::seconds(0.05), microseconds(50'000));
    EXPECT_EQ(RunLoop::seconds(0.1), microseconds(100'000));
    EXPECT_EQ(RunLoop::seconds(0.0000014), microseconds(1));
    EXPECT_EQ(RunLoop::seconds(-0.25), microseconds(-250'000));
    EXPECT_DOUBLE_EQ(RunLoop::toSeconds(microseconds(750'000)), 0.75);
}

TEST(ManualRunLoopTest, ItsDayRunsWithItsClockFromTheStartItWasGiven) {
    ManualRunLoop loop;
    const auto start = std::chrono::sys_days{std::chrono::December / 31 / 2026} + std::chrono::hours(23);
    loop.setWallStart(start);
    EXPECT_EQ(loop.wallNow(), start);
    loop.advance(3600.5);  // past midnight, whatever the machine's clock says
    EXPECT_EQ(loop.wallNow(), start + std::chrono::milliseconds(3'600'500));
    // A moment before now reads as the time it was, not as now.
    EXPECT_EQ(loop.wallTime(RunLoop::seconds(10)), start + std::chrono::seconds(10));
}

}  // namespace
}  // namespace kestrel
