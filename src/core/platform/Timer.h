#pragma once

#include "core/platform/RunLoop.h"

namespace kestrel {

// One timer on a run loop, owned: starting it again replaces the previous
// firing, and destroying it cancels it, so an object that owns a Timer can
// never be called back after it is gone. Same thread as the loop.
class Timer {
public:
    explicit Timer(RunLoop& loop) : loop_(&loop) {}
    ~Timer() { stop(); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void start(RunLoop::Duration delay, RunLoop::Callback callback);
    void startRepeating(RunLoop::Duration interval, RunLoop::Callback callback);
    void stop();
    bool isRunning() const;

private:
    RunLoop* loop_;
    RunLoop::TimerId id_ = 0;
};

}  // namespace kestrel
