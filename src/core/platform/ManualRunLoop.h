#pragma once

#include "core/platform/RunLoop.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <utility>

namespace kestrel {

// A run loop on virtual time, driven by its owner: time moves only through
// advance(). Every timing behaviour of Kestrel is tested on it, to the
// microsecond and deterministically.
//
// Ordering: timers fire in the order of their due time; timers due at the
// same instant fire in the order they were scheduled (a repeating timer's
// next firing counts as scheduled when it is re-armed, a rescheduled timer
// when it is rescheduled). After every callback the posts run, first in,
// first out, before anything else fires. While a timer fires, now() is its
// due time (unless keepUpWith() moved the clock past it).
class ManualRunLoop final : public RunLoop {
public:
    ManualRunLoop() = default;
    ManualRunLoop(const ManualRunLoop&) = delete;
    ManualRunLoop& operator=(const ManualRunLoop&) = delete;

    Duration now() const override;
    // The loop's epoch is the wall-clock time it was made at, unless set.
    std::chrono::system_clock::time_point wallTime(Duration moment) const override {
        return wallStart_ + std::chrono::duration_cast<std::chrono::system_clock::duration>(moment);
    }
    // The wall-clock time of the loop's epoch (a test's day starts when it says).
    void setWallStart(std::chrono::system_clock::time_point start) { wallStart_ = start; }
    TimerId schedule(Duration delay, Callback callback) override;
    TimerId scheduleRepeating(Duration interval, Callback callback) override;
    bool cancel(TimerId timer) override;
    bool reschedule(TimerId timer, Duration delay) override;
    bool isScheduled(TimerId timer) const override;
    void post(Callback callback) override;

    // Runs everything due within `duration` from now, then leaves the clock
    // at now + duration. Must not be called from inside a callback.
    void advance(Duration duration);
    void advance(double secondsValue) { advance(seconds(secondsValue)); }
    // Runs the posts and the timers already due, without moving the clock.
    void runUntilIdle();
    // Moves the clock to the next timer and runs what is due then. Answers NO
    // when no timer is scheduled.
    bool advanceToNextTimer();
    // Moves the clock to `time` as a wall clock moved while the loop waited
    // (a loop driven by real time): timers due by then fire at their times,
    // and what other threads posted meanwhile runs once the clock has caught
    // up, so that it sees the time it is taken up at, not the time the wait
    // began. Must not be called from inside a callback.
    void catchUp(Duration time);
    // Moves the clock forward to `time` and runs nothing: what falls due runs
    // at the next advance or catch-up, late (a repeating timer once, skipping
    // the firings it missed, on its schedule). For a loop driven by real time
    // whose callbacks take real time, so that a timer set from inside one
    // counts its delay from the moment it was set. Allowed inside callbacks.
    void keepUpWith(Duration time) { now_ = std::max(now_, time); }

    // Blocks the loop's thread until another thread has posted something (or
    // `timeout` passed); answers whether a post is waiting. For work handed to
    // other threads whose completion comes back by post.
    bool waitForPosts(std::chrono::milliseconds timeout);

    // Number of timers with a firing ahead of them.
    std::size_t pendingTimers() const;
    // Due time of the next timer; Duration::max() when there is none.
    Duration nextDue() const;

private:
    struct Timer {
        Duration due{};
        std::uint64_t order = 0;     // tie-break among equal due times
        Duration interval{};         // zero for a one-shot timer
        bool queued = false;         // has a firing ahead of it
        std::shared_ptr<Callback> callback;
    };
    using QueueKey = std::pair<Duration, std::uint64_t>;  // (due, order)

    void arm(TimerId id, Timer& timer, Duration due);
    void disarm(Timer& timer);
    void runDueTimers(Duration until, bool postsFirst);
    Duration nextFiring(const Timer& timer) const;
    void fire(TimerId id);
    void drainPosts();

    Duration now_{0};
    std::chrono::system_clock::time_point wallStart_ = std::chrono::system_clock::now();
    std::uint64_t nextOrder_ = 1;
    TimerId nextId_ = 1;
    std::map<TimerId, Timer> timers_;
    std::map<QueueKey, TimerId> queue_;
    bool running_ = false;

    mutable std::mutex postsMutex_;  // guards posts_ only
    std::condition_variable postArrived_;
    std::deque<Callback> posts_;
};

}  // namespace kestrel
