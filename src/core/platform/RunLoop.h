#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace kestrel {

// The main run loop as the core sees it: one-shot and repeating timers,
// cancellation, zero-delay posts, and the current time. All of Kestrel's
// waiting (count-down ticks, sensor polls, slideshow, deferred calls) goes
// through this port, so that tests can drive it on virtual time.
//
// Threads: post() may be called from any thread. Everything else belongs to
// the thread that runs the loop, and every callback runs on that thread.
class RunLoop {
public:
    using Duration = std::chrono::microseconds;
    using Callback = std::function<void()>;
    // 0 is never a valid timer.
    using TimerId = std::uint64_t;

    virtual ~RunLoop() = default;

    // Time since the loop's epoch. Never goes backwards.
    virtual Duration now() const = 0;

    // The wall-clock time of `moment` on this loop's clock: what a photo's
    // date and a time of day are read from. A loop on real time answers the
    // system clock's time of that moment; a loop on virtual time carries a
    // day of its own that runs with its clock.
    virtual std::chrono::system_clock::time_point wallTime(Duration moment) const {
        using std::chrono::system_clock;
        return system_clock::now() - std::chrono::duration_cast<system_clock::duration>(now() - moment);
    }
    std::chrono::system_clock::time_point wallNow() const { return wallTime(now()); }

    // Calls `callback` once, `delay` from now (a negative delay counts as 0).
    virtual TimerId schedule(Duration delay, Callback callback) = 0;
    // Calls `callback` every `interval`, the first time `interval` from now.
    // Firings follow the original schedule (no drift); a loop that fell
    // behind fires it once and skips the firings it missed. An interval below
    // 1 µs counts as 1 µs.
    virtual TimerId scheduleRepeating(Duration interval, Callback callback) = 0;
    // Stops a timer; safe from inside any callback, its own included.
    // Answers whether the timer was still alive: a one-shot timer is alive
    // until its callback has returned (it may still reschedule itself), a
    // repeating one until it is cancelled.
    virtual bool cancel(TimerId timer) = 0;
    // Moves the timer's next firing to `delay` from now (a negative delay
    // counts as 0). Works on a one-shot timer from inside its own callback
    // (it fires once more). A repeating timer takes `delay` as its interval
    // from then on (below 1 µs counts as 1 µs). Answers NO for a timer that
    // has fired for good or was cancelled.
    virtual bool reschedule(TimerId timer, Duration delay) = 0;
    // YES while the timer has a firing ahead of it.
    virtual bool isScheduled(TimerId timer) const = 0;

    // Calls `callback` on the loop's thread as soon as the current callback
    // has returned, before any timer fires; the posts of one thread run in
    // the order they were made.
    virtual void post(Callback callback) = 0;

    // Seconds as the callers write them (0.05, 0.25), to the nearest µs.
    static constexpr Duration seconds(double value) {
        const double micros = value * 1e6;
        return Duration(static_cast<Duration::rep>(micros < 0 ? micros - 0.5 : micros + 0.5));
    }
    static constexpr double toSeconds(Duration value) {
        return static_cast<double>(value.count()) / 1e6;
    }
};

}  // namespace kestrel
