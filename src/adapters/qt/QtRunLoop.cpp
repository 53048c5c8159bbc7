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
                         if (!repeating) {
                             // Fired for good, unless the callback reschedules it.
                             const auto found = timers_.find(id);
                             if (found == timers_.end()) return;
                             callback();
                             const auto after = timers_.find(id);
                             if (after != timers_.end() && !after->second->isActive()) {
                                 after->second->deleteLater();
                                 timers_.erase(after);
                             }
                             return;
                         }
                         callback();
                     });
    timers_[id] = timer;
    timer->start(milliseconds(repeating ? std::max(delay, Duration(1)) : delay));
    return id;
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
    const bool alive = found->second->isActive();
    found->second->stop();
    found->second->deleteLater();
    timers_.erase(found);
    return alive;
}

bool QtRunLoop::reschedule(TimerId id, Duration delay) {
    const auto found = timers_.find(id);
    if (found == timers_.end()) return false;
    found->second->start(milliseconds(delay));
    return true;
}

bool QtRunLoop::isScheduled(TimerId id) const {
    const auto found = timers_.find(id);
    return found != timers_.end() && found->second->isActive();
}

void QtRunLoop::post(Callback callback) {
    QMetaObject::invokeMethod(&context_, std::move(callback), Qt::QueuedConnection);
}

}  // namespace kestrel
