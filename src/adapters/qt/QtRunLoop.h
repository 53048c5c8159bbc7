#pragma once

#include "core/platform/RunLoop.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <unordered_map>

namespace kestrel {

// The main run loop on Qt's event loop: each timer a precise QTimer, posts
// queued calls on the loop's thread (from any thread). Time is the steady
// clock since the loop was made.
class QtRunLoop final : public RunLoop {
public:
    QtRunLoop();
    ~QtRunLoop() override;

    Duration now() const override;
    TimerId schedule(Duration delay, Callback callback) override;
    TimerId scheduleRepeating(Duration interval, Callback callback) override;
    bool cancel(TimerId timer) override;
    bool reschedule(TimerId timer, Duration delay) override;
    bool isScheduled(TimerId timer) const override;
    void post(Callback callback) override;

private:
    TimerId add(Duration delay, bool repeating, Callback callback);
    static int milliseconds(Duration value);

    QObject context_;
    std::chrono::steady_clock::time_point epoch_;
    std::unordered_map<TimerId, QTimer*> timers_;
    TimerId next_ = 1;
};

}  // namespace kestrel
