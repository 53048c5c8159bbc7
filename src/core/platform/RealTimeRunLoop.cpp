#include "core/platform/RealTimeRunLoop.h"

#include <algorithm>

namespace kestrel {

RealTimeRunLoop::RealTimeRunLoop() : epoch_(std::chrono::steady_clock::now()) {}

RunLoop::Duration RealTimeRunLoop::elapsed() const {
    return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - epoch_);
}

bool RealTimeRunLoop::runUntil(const std::function<bool()>& done, Duration limit) {
    const Duration deadline = elapsed() + limit;
    for (;;) {
        // What was posted while the loop waited first, then what is due by
        // now, each timer once, all of it seeing the real time.
        loop_.keepUpWith(elapsed());
        loop_.runUntilIdle();
        if (done()) return true;
        const Duration left = deadline - elapsed();
        if (left <= Duration::zero()) return false;
        // Sleep until the next timer is due or another thread posts.
        const Duration untilTimer = loop_.nextDue() == Duration::max() ? left : loop_.nextDue() - elapsed();
        const Duration wait = std::clamp(std::min(untilTimer, left), Duration::zero(), Duration(std::chrono::seconds(1)));
        loop_.waitForPosts(std::chrono::duration_cast<std::chrono::milliseconds>(wait) + std::chrono::milliseconds(1));
    }
}

}  // namespace kestrel
