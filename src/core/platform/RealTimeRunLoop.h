#pragma once

#include "core/platform/ManualRunLoop.h"

#include <chrono>
#include <functional>

namespace kestrel {

// A run loop on the wall clock for programs without a window toolkit
// (kestrel-cli): the timers and posts of a manual loop, driven by real time.
// Threads as for RunLoop: post() from anywhere, the rest on the thread that
// runs it.
class RealTimeRunLoop final : public RunLoop {
public:
    RealTimeRunLoop();

    // Real time (the steady clock) since the loop was made, inside a callback
    // too: a callback that takes a while sees the time go on.
    Duration now() const override { return elapsed(); }
    // A timer counts its delay from the real moment it is set, even when the
    // callback that sets it started a while ago.
    TimerId schedule(Duration delay, Callback callback) override {
        return keptUp().schedule(delay, std::move(callback));
    }
    TimerId scheduleRepeating(Duration interval, Callback callback) override {
        return keptUp().scheduleRepeating(interval, std::move(callback));
    }
    bool cancel(TimerId timer) override { return loop_.cancel(timer); }
    bool reschedule(TimerId timer, Duration delay) override { return keptUp().reschedule(timer, delay); }
    bool isScheduled(TimerId timer) const override { return loop_.isScheduled(timer); }
    void post(Callback callback) override { loop_.post(std::move(callback)); }

    // Runs timers and posts as they come due until `done` answers YES or
    // `limit` of wall-clock time has passed; answers whether `done` held.
    bool runUntil(const std::function<bool()>& done, Duration limit);

private:
    Duration elapsed() const;
    // The timers' loop with its clock moved on to the wall clock's time.
    ManualRunLoop& keptUp() {
        loop_.keepUpWith(elapsed());
        return loop_;
    }

    ManualRunLoop loop_;
    std::chrono::steady_clock::time_point epoch_;
};

}  // namespace kestrel
