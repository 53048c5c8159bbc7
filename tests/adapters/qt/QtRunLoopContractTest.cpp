// The Qt loop passes RunLoop's contract on Qt's own event loop.
#include "adapters/qt/QtRunLoop.h"
#include "support/QtApplication.h"
#include "support/RunLoopContract.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>
#include <thread>

namespace kestrel {
namespace {

using Duration = RunLoop::Duration;

class QtLoopDriver {
public:
    static constexpr bool kVirtualTime = false;
    QtLoopDriver() { test::qtApplication(); }
    RunLoop& loop() { return loop_; }
    Duration clock() const {
        return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - start_);
    }
    void spend(Duration duration) { std::this_thread::sleep_for(duration); }

    // Qt's event loop, one batch of events at a time; a ticking guard wakes
    // it to look at the clock when nothing else comes.
    bool runUntil(const std::function<bool()>& done, Duration limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        QTimer guard;
        guard.start(std::chrono::milliseconds(5));
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        return true;
    }

private:
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    QtRunLoop loop_;
};

}  // namespace

namespace test {
INSTANTIATE_TYPED_TEST_SUITE_P(QtRunLoop, RunLoopContract, QtLoopDriver);
}  // namespace test

}  // namespace kestrel
