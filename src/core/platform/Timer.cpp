#include "core/platform/Timer.h"

#include <utility>

namespace kestrel {

void Timer::start(RunLoop::Duration delay, RunLoop::Callback callback) {
    stop();
    id_ = loop_->schedule(delay, std::move(callback));
}

void Timer::startRepeating(RunLoop::Duration interval, RunLoop::Callback callback) {
    stop();
    id_ = loop_->scheduleRepeating(interval, std::move(callback));
}

void Timer::stop() {
    if (id_ != 0) loop_->cancel(id_);
    id_ = 0;
}

bool Timer::isRunning() const { return id_ != 0 && loop_->isScheduled(id_); }

}  // namespace kestrel
