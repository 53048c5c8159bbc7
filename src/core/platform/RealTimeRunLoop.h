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

    Duration now() const override { return loop_.now(); }
    TimerId schedule(Duration delay, Callback callback) override { return loop_.schedule(delay, std::move(callback)); }
    TimerId scheduleRepeating(Duration interval, Callback callback) override {
        return loop_.scheduleRepeating(interval, std::move(callback));
    }
    bool cancel(TimerId timer) override { return loop_.cancel(timer); }
    bool reschedule(TimerId timer, Duration delay) override { return loop_.reschedule(timer, delay); }
    bool isScheduled(TimerId timer) const override { return loop_.isScheduled(timer); }
    void post(Callback callback) override { loop_.post(std::move(callback)); }

    // Runs timers and posts as they come due until `done` answers YES or
    // `limit` of wall-clock time has passed; answers whether `done` held.
    bool runUntil(const std::function<bool()>& done, Duration limit);

private:
    Duration elapsed() const;

    ManualRunLoop loop_;
    std::chrono::steady_clock::time_point epoch_;
};

}  // namespace kestrel
