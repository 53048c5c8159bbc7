#include "core/platform/ManualRunLoop.h"

#include "core/platform/Log.h"

#include <algorithm>

namespace kestrel {

RunLoop::Duration ManualRunLoop::now() const { return now_; }

void ManualRunLoop::arm(TimerId id, Timer& timer, Duration due) {
    disarm(timer);
    timer.due = due;
    timer.order = nextOrder_++;
    timer.queued = true;
    queue_.emplace(QueueKey{timer.due, timer.order}, id);
}

void ManualRunLoop::disarm(Timer& timer) {
    if (!timer.queued) return;
    queue_.erase(QueueKey{timer.due, timer.order});
    timer.queued = false;
}

RunLoop::TimerId ManualRunLoop::schedule(Duration delay, Callback callback) {
    const TimerId id = nextId_++;
    Timer& timer = timers_[id];
    timer.callback = std::make_shared<Callback>(std::move(callback));
    arm(id, timer, now_ + std::max(delay, Duration::zero()));
    return id;
}

RunLoop::TimerId ManualRunLoop::scheduleRepeating(Duration interval, Callback callback) {
    const TimerId id = nextId_++;
    Timer& timer = timers_[id];
    timer.interval = std::max(interval, Duration(1));
    timer.callback = std::make_shared<Callback>(std::move(callback));
    arm(id, timer, now_ + timer.interval);
    return id;
}

bool ManualRunLoop::cancel(TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return false;
    disarm(it->second);
    timers_.erase(it);
    return true;
}

bool ManualRunLoop::reschedule(TimerId id, Duration delay) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return false;
    Timer& timer = it->second;
    // A repeating timer goes on at the pace it was last given.
    if (timer.interval > Duration::zero()) timer.interval = std::max(delay, Duration(1));
    arm(id, timer, now_ + std::max(delay, Duration::zero()));
    return true;
}

bool ManualRunLoop::isScheduled(TimerId id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second.queued;
}

void ManualRunLoop::post(Callback callback) {
    // Notified under the lock: a waiter that then ends the loop cannot do so
    // while the poster still touches it.
    std::lock_guard lock(postsMutex_);
    posts_.push_back(std::move(callback));
    postArrived_.notify_all();
}

bool ManualRunLoop::waitForPosts(std::chrono::milliseconds timeout) {
    std::unique_lock lock(postsMutex_);
    return postArrived_.wait_for(lock, timeout, [this] { return !posts_.empty(); });
}

RunLoop::Duration ManualRunLoop::nextFiring(const Timer& timer) const {
    // Counted from the due time, not from now: a late firing (after
    // keepUpWith) shifts none of the ones after it, and those it came too
    // late for are skipped rather than fired all at once.
    const Duration next = timer.due + timer.interval;
    if (next > now_) return next;
    return next + ((now_ - next) / timer.interval + 1) * timer.interval;
}

void ManualRunLoop::fire(TimerId id) {
    Timer& timer = timers_.at(id);
    disarm(timer);
    // Re-arm a repeating timer before its callback, so that the callback can
    // cancel or reschedule it like any other timer. A one-shot timer stays
    // known (but not queued) while it runs, so that it can reschedule itself.
    if (timer.interval > Duration::zero()) arm(id, timer, nextFiring(timer));
    // The callback may cancel its own timer: keep the function alive.
    const std::shared_ptr<Callback> callback = timer.callback;
    (*callback)();
    auto it = timers_.find(id);
    if (it != timers_.end() && !it->second.queued) timers_.erase(it);
}

void ManualRunLoop::drainPosts() {
    for (;;) {
        Callback next;
        {
            std::lock_guard lock(postsMutex_);
            if (posts_.empty()) return;
            next = std::move(posts_.front());
            posts_.pop_front();
        }
        next();
    }
}

void ManualRunLoop::runDueTimers(Duration until, bool postsFirst) {
    if (postsFirst) drainPosts();
    while (!queue_.empty() && queue_.begin()->first.first <= until) {
        const auto [key, id] = *queue_.begin();
        now_ = std::max(now_, key.first);
        fire(id);
        drainPosts();
    }
}

void ManualRunLoop::advance(Duration duration) {
    if (running_) {
        Log::error("ManualRunLoop: advance() called from inside a callback; ignored");
        return;
    }
    running_ = true;
    const Duration target = now_ + std::max(duration, Duration::zero());
    runDueTimers(target, true);
    now_ = std::max(now_, target);  // keepUpWith() may have gone further
    running_ = false;
}

void ManualRunLoop::catchUp(Duration time) {
    if (running_) {
        Log::error("ManualRunLoop: catchUp() called from inside a callback; ignored");
        return;
    }
    running_ = true;
    const Duration target = std::max(time, now_);
    runDueTimers(target, false);
    now_ = std::max(now_, target);  // keepUpWith() may have gone further
    drainPosts();
    running_ = false;
}

void ManualRunLoop::runUntilIdle() { advance(Duration::zero()); }

bool ManualRunLoop::advanceToNextTimer() {
    if (queue_.empty()) return false;
    advance(queue_.begin()->first.first - now_);
    return true;
}

std::size_t ManualRunLoop::pendingTimers() const { return queue_.size(); }

RunLoop::Duration ManualRunLoop::nextDue() const {
    return queue_.empty() ? Duration::max() : queue_.begin()->first.first;
}

}  // namespace kestrel
