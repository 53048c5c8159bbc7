#include "adapters/qt/QtRunLoop.h"

#include <QMetaObject>

#include <algorithm>

namespace kestrel {

QtRunLoop::QtRunLoop() : epoch_(std::chrono::steady_clock::now()) {}

QtRunLoop::~QtRunLoop() {
    for (auto& [id, timer] : timers_)
        delete timer;
}

RunLoop::Duration QtRunLoop::now() const {
    return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - epoch_);
}

int QtRunLoop::milliseconds(Duration value) {
    // Rounded up, so a timer never fires before its time.
    const auto ms = (std::max<Duration::rep>(value.count(), 0) + 999) / 1000;
    return static_cast<int>(std::min<Duration::rep>(ms, 0x7fffffff));
}

RunLoop::TimerId QtRunLoop::add(Duration delay, bool repeating, Callback callback) {
    const TimerId id = next_++;
    auto* timer = new QTimer(&context_);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(!repeating);
    QObject::connect(timer, &QTimer::timeout, &context_,
                     [this, id, repeating, callback = std::move(callback)] {
                         if (repeating)
                             callback();
                         else
                             fireOnce(id, callback);
                         // What the callback posted comes before the timers due in this turn.
                         runPosts();
                     });
    timers_[id] = timer;
    timer->start(milliseconds(repeating ? std::max(delay, Duration(1)) : delay));
    return id;
}

void QtRunLoop::fireOnce(TimerId id, const Callback& callback) {
    if (!timers_.contains(id)) return;
    firing_.insert(id);
    callback();
    firing_.erase(id);
    // Fired for good, unless the callback rescheduled it.
    const auto after = timers_.find(id);
    if (after != timers_.end() && !after->second->isActive()) {
        after->second->deleteLater();
        timers_.erase(after);
    }
}

RunLoop::TimerId QtRunLoop::schedule(Duration delay, Callback callback) {
    return add(delay, false, std::move(callback));
}

RunLoop::TimerId QtRunLoop::scheduleRepeating(Duration interval, Callback callback) {
    return add(interval, true, std::move(callback));
}

bool QtRunLoop::cancel(TimerId id) {
    const auto found = timers_.find(id);
    if (found == timers_.end()) return false;
    const bool alive = found->second->isActive() || firing_.contains(id);
    found->second->stop();
    // Later: this may be the timer whose timeout is being delivered.
    found->second->deleteLater();
    timers_.erase(found);
    return alive;
}

bool QtRunLoop::reschedule(TimerId id, Duration delay) {
    const auto found = timers_.find(id);
    if (found == timers_.end()) return false;
    QTimer& timer = *found->second;
    // A zero interval would make a repeating QTimer fire on every turn of the loop.
    timer.start(milliseconds(timer.isSingleShot() ? delay : std::max(delay, Duration(1))));
    return true;
}

bool QtRunLoop::isScheduled(TimerId id) const {
    const auto found = timers_.find(id);
    return found != timers_.end() && found->second->isActive();
}

void QtRunLoop::post(Callback callback) {
    bool first = false;
    {
        std::lock_guard lock(postsMutex_);
        first = posts_.empty();
        posts_.push_back(std::move(callback));
    }
    // One queued call runs all that are waiting by then; a post that finds
    // others waiting rides on theirs.
    if (first) QMetaObject::invokeMethod(&context_, [this] { runPosts(); }, Qt::QueuedConnection);
}

void QtRunLoop::runPosts() {
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

}  // namespace kestrel
