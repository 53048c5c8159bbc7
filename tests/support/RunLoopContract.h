#pragma once

// What RunLoop.h promises, as one typed suite that every run loop passes:
// the manual loop on its virtual time, the real-time loop and the Qt loop on
// the real clock. A loop's test file gives a driver and instantiates the
// suite for it:
//
//   struct Driver {
//       static constexpr bool kVirtualTime;  // times are exact, not "at least"
//       RunLoop& loop();
//       // Runs the loop until done() holds or `limit` (of the clock) passed;
//       // answers whether done() held.
//       bool runUntil(const std::function<bool()>& done, RunLoop::Duration limit);
//       // The time a test reads: the loop's own on virtual time, else the
//       // steady clock's since the driver was made.
//       RunLoop::Duration clock() const;
//       // Work that takes `duration` inside a callback (real loops only:
//       // virtual time cannot pass inside a callback).
//       void spend(RunLoop::Duration duration);
//   };
//
// The real loops run on short intervals with bounded waits. A loaded machine
// fires late, never early: the checks are the order of what happens and "at
// least the delay", exact only on virtual time.

#include "core/platform/RunLoop.h"
#include "core/platform/Timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace kestrel::test {

template <class Driver>
class RunLoopContract : public ::testing::Test {
protected:
    using Duration = RunLoop::Duration;
    using Log = std::vector<std::string>;
    using Times = std::vector<Duration>;

    // A step of the tests' timers: long enough for a real loop to tell
    // apart, short enough that each case takes well under a second.
    static constexpr Duration kStep = std::chrono::milliseconds(30);
    // The most a case waits for what it expects.
    static constexpr Duration kLimit = std::chrono::seconds(2);

    RunLoop& loop() { return driver.loop(); }
    Duration clock() const { return driver.clock(); }
    bool runUntil(const std::function<bool()>& done) { return driver.runUntil(done, kLimit); }
    // Runs the loop for `duration` whatever happens meanwhile.
    void runFor(Duration duration) {
        driver.runUntil([] { return false; }, duration);
    }
    // `actual` came at least `expected` after the start; on virtual time, exactly then.
    static void expectAtLeast(Duration actual, Duration expected, const std::string& what) {
        if constexpr (Driver::kVirtualTime)
            EXPECT_EQ(actual, expected) << what;
        else
            EXPECT_GE(actual, expected) << what;
    }
    // The first time at least `first`, the i-th at least i gaps after the
    // schedule's start (exactly, on virtual time): `first`, or the first
    // firing itself for a schedule set from it. Not gap by gap: a repeating
    // timer keeps its schedule, so a late firing is followed by a shorter gap.
    enum class Anchor { kSchedule, kFirstFiring };
    static void expectPace(const Times& times, Duration first, Duration gap,
                           Anchor anchor = Anchor::kSchedule) {
        ASSERT_FALSE(times.empty());
        expectAtLeast(times[0], first, "firing 0");
        const Duration start = anchor == Anchor::kSchedule ? first : times[0];
        for (std::size_t i = 1; i < times.size(); ++i)
            expectAtLeast(times[i] - start, static_cast<long>(i) * gap, "firing " + std::to_string(i));
    }

    Driver driver;
};

TYPED_TEST_SUITE_P(RunLoopContract);

TYPED_TEST_P(RunLoopContract, AOneShotFiresOnceNotBeforeItsDelayThenIsGone) {
    const auto step = TestFixture::kStep;
    RunLoop& loop = this->loop();
    typename TestFixture::Times fired;
    const auto start = this->clock();
    const RunLoop::TimerId id = loop.schedule(2 * step, [&] { fired.push_back(this->clock() - start); });
    EXPECT_NE(id, 0u);
    EXPECT_TRUE(loop.isScheduled(id));
    ASSERT_TRUE(this->runUntil([&] { return !fired.empty(); }));
    this->runFor(3 * step);
    ASSERT_EQ(fired.size(), 1u);
    this->expectAtLeast(fired[0], 2 * step, "the one-shot");
    // Fired for good.
    EXPECT_FALSE(loop.isScheduled(id));
    EXPECT_FALSE(loop.cancel(id));
    EXPECT_FALSE(loop.reschedule(id, step));
}

TYPED_TEST_P(RunLoopContract, OneShotsFireInTheOrderOfTheirDelaysANegativeOneAtOnce) {
    const auto step = TestFixture::kStep;
    RunLoop& loop = this->loop();
    typename TestFixture::Log log;
    loop.schedule(3 * step, [&] { log.push_back("3 steps"); });
    loop.schedule(step, [&] { log.push_back("1 step"); });
    loop.schedule(-step, [&] { log.push_back("negative"); });
    loop.schedule(2 * step, [&] { log.push_back("2 steps"); });
    loop.schedule(RunLoop::Duration::zero(), [&] { log.push_back("zero"); });
    ASSERT_TRUE(this->runUntil([&] { return log.size() == 5; })) << log.size();
    this->runFor(step);
    EXPECT_EQ(log, (typename TestFixture::Log{"negative", "zero", "1 step", "2 steps", "3 steps"}));
}

TYPED_TEST_P(RunLoopContract, ARepeatingTimerKeepsItsIntervalUntilItCancelsItself) {
    const auto step = TestFixture::kStep;
    RunLoop& loop = this->loop();
    typename TestFixture::Times ticks;
    const auto start = this->clock();
    RunLoop::TimerId id = 0;
    id = loop.scheduleRepeating(step, [&] {
        ticks.push_back(this->clock() - start);
        EXPECT_TRUE(loop.isScheduled(id)) << "a repeating timer has its next firing ahead";
        if (ticks.size() == 5) {
            EXPECT_TRUE(loop.cancel(id));
        }
    });
    ASSERT_TRUE(this->runUntil([&] { return ticks.size() == 5; }));
    this->runFor(3 * step);
    ASSERT_EQ(ticks.size(), 5u);
    EXPECT_FALSE(loop.isScheduled(id));
    EXPECT_FALSE(loop.cancel(id));
    // The k-th firing is never before k intervals (no drift, on virtual time).
    for (std::size_t k = 0; k < ticks.size(); ++k)
        this->expectAtLeast(ticks[k], static_cast<long>(k + 1) * step, "tick " + std::to_string(k));
}

TYPED_TEST_P(RunLoopContract, AnIntervalBelowAMicrosecondCountsAsOne) {
    RunLoop& loop = this->loop();
    for (const RunLoop::Duration interval : {RunLoop::Duration::zero(), RunLoop::Duration(-5)}) {
        typename TestFixture::Times ticks;
        const auto start = loop.now();
        RunLoop::TimerId id = 0;
        id = loop.scheduleRepeating(interval, [&] {
            ticks.push_back(loop.now() - start);
            if (ticks.size() == 3) loop.cancel(id);
        });
        ASSERT_TRUE(this->runUntil([&] { return ticks.size() == 3; })) << interval.count();
        this->expectPace(ticks, RunLoop::Duration(1), RunLoop::Duration(1));
    }
}

// A repeating timer rescheduled goes on at the new pace: from its own
// callback, from another timer's, or before it first fired.
TYPED_TEST_P(RunLoopContract, ARescheduledRepeatingTimerKeepsItsNewInterval) {
    const auto step = TestFixture::kStep;
    enum class From { kItsOwnCallback, kAnotherTimer, kBeforeItFired };
    for (const From from : {From::kItsOwnCallback, From::kAnotherTimer, From::kBeforeItFired}) {
        SCOPED_TRACE(static_cast<int>(from));
        RunLoop& loop = this->loop();
        typename TestFixture::Times ticks;
        const auto start = this->clock();
        RunLoop::TimerId id = 0;
        id = loop.scheduleRepeating(step, [&] {
            ticks.push_back(this->clock() - start);
            if (from == From::kItsOwnCallback && ticks.size() == 1) {
                EXPECT_TRUE(loop.reschedule(id, 3 * step));
            }
            if (ticks.size() == 3) loop.cancel(id);
        });
        if (from == From::kAnotherTimer)
            loop.schedule(step / 2, [&] { EXPECT_TRUE(loop.reschedule(id, 3 * step)); });
        if (from == From::kBeforeItFired) {
            EXPECT_TRUE(loop.reschedule(id, 3 * step));
        }
        ASSERT_TRUE(this->runUntil([&] { return ticks.size() == 3; }));
        const RunLoop::Duration first = from == From::kItsOwnCallback  ? step
                                        : from == From::kAnotherTimer ? step / 2 + 3 * step
                                                                      : 3 * step;
        this->expectPace(ticks, first, 3 * step,
                         from == From::kItsOwnCallback ? TestFixture::Anchor::kFirstFiring
                                                       : TestFixture::Anchor::kSchedule);
    }
}

TYPED_TEST_P(RunLoopContract, RescheduledOneShotsFireInTheirNewOrder) {
    const auto step = TestFixture::kStep;
    RunLoop& loop = this->loop();
    typename TestFixture::Log log;
    const RunLoop::TimerId early = loop.schedule(step, [&] { log.push_back("was early"); });
    loop.schedule(2 * step, [&] { log.push_back("fixed"); });
    const RunLoop::TimerId late = loop.schedule(5 * step, [&] { log.push_back("was late"); });
    EXPECT_TRUE(loop.reschedule(early, 3 * step));
    loop.schedule(RunLoop::Duration::zero(), [&] { EXPECT_TRUE(loop.reschedule(late, step)); });
    ASSERT_TRUE(this->runUntil([&] { return log.size() == 3; }));
    this->runFor(3 * step);
    EXPECT_EQ(log, (typename TestFixture::Log{"was late", "fixed", "was early"}));
}

TYPED_TEST_P(RunLoopContract, AOneShotReschedulingItselfFiresOnceMoreEachTime) {
    const auto step = TestFixture::kStep;
    RunLoop& loop = this->loop();
    typename TestFixture::Times fired;
    const auto start = this->clock();
    RunLoop::TimerId id = 0;
    id = loop.schedule(step, [&] {
        fired.push_back(this->clock() - start);
        EXPECT_FALSE(loop.isScheduled(id)) << "no firing ahead of it while it runs";
        if (fired.size() < 3) {
            EXPECT_TRUE(loop.reschedule(id, 2 * step));
            EXPECT_TRUE(loop.isScheduled(id));
        }
    });
    ASSERT_TRUE(this->runUntil([&] { return fired.size() == 3; }));
    this->runFor(3 * step);
    ASSERT_EQ(fired.size(), 3u);
    this->expectPace(fired, step, 2 * step, TestFixture::Anchor::kFirstFiring);
    EXPECT_FALSE(loop.isScheduled(id));
    EXPECT_FALSE(loop.reschedule(id, step));
}

// Cancelled inside its own callback, a timer answers that it was alive, never
// fires again, and the callback that is running keeps what it captured.
TYPED_TEST_P(RunLoopContract, ATimerCancelledInItsOwnCallbackIsGoneAfterIt) {
    const auto step = TestFixture::kStep;
    for (const bool repeating : {false, true}) {
        SCOPED_TRACE(repeating ? "repeating" : "one-shot");
        RunLoop& loop = this->loop();
        int fired = 0;
        bool rescheduledAfterCancel = true;
        auto captured = std::make_shared<std::string>("still here");
        RunLoop::TimerId id = 0;
        auto callback = [&, captured] {
            ++fired;
            EXPECT_TRUE(loop.cancel(id));
            EXPECT_FALSE(loop.isScheduled(id));
            EXPECT_FALSE(loop.cancel(id));
            rescheduledAfterCancel = loop.reschedule(id, step);
            EXPECT_EQ(*captured, "still here");
        };
        id = repeating ? loop.scheduleRepeating(step, std::move(callback))
                       : loop.schedule(step, std::move(callback));
        captured.reset();
        ASSERT_TRUE(this->runUntil([&] { return fired > 0; }));
        this->runFor(3 * step);
        EXPECT_EQ(fired, 1);
        EXPECT_FALSE(rescheduledAfterCancel);
        EXPECT_FALSE(loop.isScheduled(id));
    }
}

TYPED_TEST_P(RunLoopContract, ATimerCancelledByAnotherCallbackNeverFires) {
    const auto step = TestFixture::kStep;
    RunLoop& loop = this->loop();
    typename TestFixture::Log log;
    RunLoop::TimerId sameTime = 0;
    RunLoop::TimerId later = 0;
    RunLoop::TimerId repeating = 0;
    loop.schedule(step, [&] {
        log.push_back("canceller");
        EXPECT_TRUE(loop.cancel(sameTime));
        EXPECT_TRUE(loop.cancel(later));
        EXPECT_TRUE(loop.cancel(repeating));
        EXPECT_FALSE(loop.cancel(later)) << "cancelled already";
    });
    // Due when the canceller is, but set after it.
    sameTime = loop.schedule(step, [&] { log.push_back("same time"); });
    later = loop.schedule(2 * step, [&] { log.push_back("later"); });
    repeating = loop.scheduleRepeating(2 * step, [&] { log.push_back("repeating"); });
    loop.schedule(4 * step, [&] { log.push_back("end"); });
    ASSERT_TRUE(this->runUntil([&] { return log.size() >= 2; }));
    EXPECT_EQ(log, (typename TestFixture::Log{"canceller", "end"}));
    for (const RunLoop::TimerId id : {sameTime, later, repeating}) EXPECT_FALSE(loop.isScheduled(id));
}

TYPED_TEST_P(RunLoopContract, ACallbackMayDestroyTheTimerObjectThatRunsIt) {
    const auto step = TestFixture::kStep;
    RunLoop& loop = this->loop();
    auto owner = std::make_unique<Timer>(loop);
    int fired = 0;
    owner->startRepeating(step, [&] {
        ++fired;
        owner.reset();
    });
    ASSERT_TRUE(this->runUntil([&] { return fired > 0; }));
    this->runFor(3 * step);
    EXPECT_EQ(fired, 1);
}

TYPED_TEST_P(RunLoopContract, UnknownTimersAreNeitherScheduledNorCancellable) {
    RunLoop& loop = this->loop();
    for (const RunLoop::TimerId id : {RunLoop::TimerId{0}, RunLoop::TimerId{987654}}) {
        EXPECT_FALSE(loop.isScheduled(id)) << id;
        EXPECT_FALSE(loop.cancel(id)) << id;
        EXPECT_FALSE(loop.reschedule(id, TestFixture::kStep)) << id;
    }
}

// A post waits for the callback that made it, and then comes before any
// timer, even one due at the same moment; posts made by posts after them.
TYPED_TEST_P(RunLoopContract, APostFromACallbackRunsRightAfterItBeforeTheNextTimer) {
    const auto step = TestFixture::kStep;
    RunLoop& loop = this->loop();
    typename TestFixture::Log log;
    loop.schedule(step, [&] {
        loop.post([&] {
            log.push_back("post 1");
            loop.post([&] { log.push_back("post 3"); });
        });
        loop.post([&] { log.push_back("post 2"); });
        log.push_back("timer 1 returns");
    });
    loop.schedule(step, [&] { log.push_back("timer 2"); });
    loop.schedule(2 * step, [&] { log.push_back("timer 3"); });
    ASSERT_TRUE(this->runUntil([&] { return log.size() == 6; })) << log.size();
    EXPECT_EQ(log, (typename TestFixture::Log{"timer 1 returns", "post 1", "post 2", "post 3", "timer 2",
                                              "timer 3"}));
}

TYPED_TEST_P(RunLoopContract, PostsBeforeTheLoopRunsComeFirstInTheirOrder) {
    RunLoop& loop = this->loop();
    typename TestFixture::Log log;
    loop.schedule(RunLoop::Duration::zero(), [&] { log.push_back("zero-delay timer"); });
    loop.post([&] { log.push_back("post 1"); });
    loop.post([&] { log.push_back("post 2"); });
    ASSERT_TRUE(this->runUntil([&] { return log.size() == 3; }));
    EXPECT_EQ(log, (typename TestFixture::Log{"post 1", "post 2", "zero-delay timer"}));
}

TYPED_TEST_P(RunLoopContract, PostsFromOtherThreadsRunOnTheLoopsThreadEachThreadsInOrder) {
    constexpr int kThreads = 3;
    constexpr int kPosts = 300;
    RunLoop& loop = this->loop();
    const std::thread::id loopThread = std::this_thread::get_id();
    std::vector<int> seen[kThreads];
    int onOtherThreads = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPosts; ++i)
                loop.post([&, t, i] {
                    seen[t].push_back(i);
                    if (std::this_thread::get_id() != loopThread) ++onOtherThreads;
                });
        });
    const bool allArrived = this->runUntil([&] {
        std::size_t total = 0;
        for (const auto& perThread : seen) total += perThread.size();
        return total == kThreads * kPosts;
    });
    for (auto& thread : threads) thread.join();
    ASSERT_TRUE(allArrived);
    EXPECT_EQ(onOtherThreads, 0);
    for (const auto& perThread : seen) {
        ASSERT_EQ(perThread.size(), static_cast<std::size_t>(kPosts));
        for (int i = 0; i < kPosts; ++i) ASSERT_EQ(perThread[static_cast<std::size_t>(i)], i);
    }
}

// A callback that takes a while: the loop's time goes on meanwhile, and a
// timer it sets counts from the moment it was set, not from when the
// callback began.
TYPED_TEST_P(RunLoopContract, ATimerSetLateInALongCallbackCountsFromWhenItWasSet) {
    const auto step = TestFixture::kStep;
    RunLoop& loop = this->loop();
    RunLoop::Duration setAt{};
    RunLoop::Duration setAtOnTheLoop{};
    RunLoop::Duration firedAt{};
    RunLoop::Duration firedAtOnTheLoop{};
    RunLoop::Duration callbackBegan{};
    loop.schedule(step, [&] {
        callbackBegan = loop.now();
        this->driver.spend(3 * step);
        setAt = this->clock();
        setAtOnTheLoop = loop.now();
        loop.schedule(step, [&] {
            firedAt = this->clock();
            firedAtOnTheLoop = loop.now();
        });
    });
    ASSERT_TRUE(this->runUntil([&] { return firedAt != RunLoop::Duration::zero(); }));
    if constexpr (!TypeParam::kVirtualTime) {
        EXPECT_GE(setAtOnTheLoop - callbackBegan, 3 * step);
    }
    this->expectAtLeast(firedAt - setAt, step, "by the test's clock");
    this->expectAtLeast(firedAtOnTheLoop - setAtOnTheLoop, step, "by the loop's clock");
}

TYPED_TEST_P(RunLoopContract, ItsTimeNeverGoesBackAndItsWallClockRunsWithIt) {
    using std::chrono::system_clock;
    const auto step = TestFixture::kStep;
    RunLoop& loop = this->loop();
    std::vector<RunLoop::Duration> seen{loop.now()};
    const auto wallBefore = system_clock::now();
    const auto wallAtStart = loop.wallNow();
    const RunLoop::Duration startedAt = loop.now();
    RunLoop::TimerId id = 0;
    id = loop.scheduleRepeating(step / 3, [&] {
        seen.push_back(loop.now());
        if (seen.size() == 10) loop.cancel(id);
    });
    ASSERT_TRUE(this->runUntil([&] { return seen.size() == 10; }));
    for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i], seen[i - 1]) << i;
    // A moment reads on the wall clock as long before now as it is on the loop.
    const RunLoop::Duration later = loop.now();
    const auto apart = std::chrono::duration_cast<RunLoop::Duration>(loop.wallTime(later) - wallAtStart);
    if constexpr (TypeParam::kVirtualTime) {
        EXPECT_EQ(apart, later - startedAt);
    } else {
        // Real time: the system clock's own time, read twice in a row.
        EXPECT_LE(wallBefore - std::chrono::milliseconds(50), wallAtStart);
        EXPECT_LE(wallAtStart, system_clock::now());
        EXPECT_NEAR(RunLoop::toSeconds(apart), RunLoop::toSeconds(later - startedAt), 0.05);
    }
}

REGISTER_TYPED_TEST_SUITE_P(RunLoopContract, AOneShotFiresOnceNotBeforeItsDelayThenIsGone,
                            OneShotsFireInTheOrderOfTheirDelaysANegativeOneAtOnce,
                            ARepeatingTimerKeepsItsIntervalUntilItCancelsItself,
                            AnIntervalBelowAMicrosecondCountsAsOne,
                            ARescheduledRepeatingTimerKeepsItsNewInterval,
                            RescheduledOneShotsFireInTheirNewOrder,
                            AOneShotReschedulingItselfFiresOnceMoreEachTime,
                            ATimerCancelledInItsOwnCallbackIsGoneAfterIt,
                            ATimerCancelledByAnotherCallbackNeverFires,
                            ACallbackMayDestroyTheTimerObjectThatRunsIt,
                            UnknownTimersAreNeitherScheduledNorCancellable,
                            APostFromACallbackRunsRightAfterItBeforeTheNextTimer,
                            PostsBeforeTheLoopRunsComeFirstInTheirOrder,
                            PostsFromOtherThreadsRunOnTheLoopsThreadEachThreadsInOrder,
                            ATimerSetLateInALongCallbackCountsFromWhenItWasSet,
                            ItsTimeNeverGoesBackAndItsWallClockRunsWithIt);

}  // namespace kestrel::test
