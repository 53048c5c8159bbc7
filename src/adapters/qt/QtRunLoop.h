#pragma once

#include "core/platform/RunLoop.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace kestrel {

// The main run loop on Qt's event loop: each timer a precise QTimer (its
// times rounded up to whole milliseconds), posts queued calls on the loop's
// thread (from any thread). Time is the steady clock since the loop was made.
//
// The posts wait in a queue of the loop's own, run after every timer's
// callback and by a queued call: Qt would fire the other timers due in the
// same turn first.
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
    void fireOnce(TimerId id, const Callback& callback);
    void runPosts();
    static int milliseconds(Duration value);

    QObject context_;
    std::chrono::steady_clock::time_point epoch_;
    std::unordered_map<TimerId, QTimer*> timers_;
    // One-shot timers whose callback is running: alive until it returns.
    std::unordered_set<TimerId> firing_;
    TimerId next_ = 1;

    std::mutex postsMutex_;  // guards posts_ only
    std::deque<Callback> posts_;
};

}  // namespace kestrel
