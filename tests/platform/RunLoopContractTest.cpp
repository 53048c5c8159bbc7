// The run loops of the core pass RunLoop's contract: the manual loop on its
// virtual time, the real-time loop on the steady clock.
#include "core/platform/ManualRunLoop.h"
#include "core/platform/RealTimeRunLoop.h"
#include "support/RunLoopContract.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace kestrel {
namespace {

using Duration = RunLoop::Duration;

// Virtual time: timers run as the driver advances the clock; what other
// threads post is waited for on the real clock, boundedly, once nothing is
// due within the limit.
class ManualLoopDriver {
public:
    static constexpr bool kVirtualTime = true;
    RunLoop& loop() { return loop_; }
    Duration clock() const { return loop_.now(); }
    void spend(Duration) {}

    bool runUntil(const std::function<bool()>& done, Duration limit) {
        const Duration end = loop_.now() + limit;
        for (;;) {
            loop_.runUntilIdle();
            if (done()) return true;
            if (loop_.nextDue() <= end) {
                loop_.advanceToNextTimer();
                continue;
            }
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(limit);
            if (!loop_.waitForPosts(wait)) {
                loop_.advance(end - loop_.now());
                return done();
            }
        }
    }

private:
    ManualRunLoop loop_;
};

class RealTimeLoopDriver {
public:
    static constexpr bool kVirtualTime = false;
    RunLoop& loop() { return loop_; }
    Duration clock() const {
        return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - start_);
    }
    void spend(Duration duration) { std::this_thread::sleep_for(duration); }
    bool runUntil(const std::function<bool()>& done, Duration limit) { return loop_.runUntil(done, limit); }

private:
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    RealTimeRunLoop loop_;
};

}  // namespace

namespace test {
INSTANTIATE_TYPED_TEST_SUITE_P(ManualRunLoop, RunLoopContract, ManualLoopDriver);
INSTANTIATE_TYPED_TEST_SUITE_P(RealTimeRunLoop, RunLoopContract, RealTimeLoopDriver);
}  // namespace test

}  // namespace kestrel
