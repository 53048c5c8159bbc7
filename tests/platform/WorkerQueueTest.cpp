#include "core/platform/ManualRunLoop.h"
#include "core/platform/WorkerQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <memory>
#include <thread>
#include <vector>

namespace kestrel {
namespace {

using std::chrono::milliseconds;
constexpr milliseconds kLong{60000};  // only reached when something is broken

// Runs the completions posted by the worker until `count` of them ran.
void runCompletions(ManualRunLoop& loop, const std::size_t& ran, std::size_t count) {
    while (ran < count) {
        ASSERT_TRUE(loop.waitForPosts(kLong));
        loop.runUntilIdle();
    }
}

TEST(WorkerQueueTest, JobsRunOneAtATimeInOrderAndCompleteOnTheMainLoopInOrder) {
    ManualRunLoop loop;
    WorkerQueue queue("test", loop);
    EXPECT_TRUE(queue.idle());
    std::vector<int> order;  // written by the worker only, read after drain()
    std::atomic<int> running{0};
    std::atomic<int> mostAtOnce{0};
    std::vector<int> completed;
    const auto mainThread = std::this_thread::get_id();
    bool completedOnMain = true;
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(queue.enqueue([&, i] {
            mostAtOnce = std::max(mostAtOnce.load(), ++running);
            order.push_back(i);
            --running;
            queue.complete([&, i] {
                completedOnMain = completedOnMain && std::this_thread::get_id() == mainThread;
                completed.push_back(i);
            });
        }));
    }
    ASSERT_TRUE(queue.drain(kLong));
    EXPECT_EQ(queue.pending(), 0u);
    EXPECT_EQ(mostAtOnce.load(), 1);
    ASSERT_EQ(order.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);

    EXPECT_TRUE(completed.empty());  // nothing runs before the main loop turns
    EXPECT_EQ(queue.completionsWaiting(), 20u);
    EXPECT_FALSE(queue.idle());
    loop.runUntilIdle();
    EXPECT_EQ(completed, order);
    EXPECT_TRUE(completedOnMain);
    EXPECT_TRUE(queue.idle());
}

TEST(WorkerQueueTest, DrainWaitsNoLongerThanItsBound) {
    ManualRunLoop loop;
    WorkerQueue queue("test", loop);
    std::atomic<bool> release{false};
    queue.enqueue([&] {
        while (!release) std::this_thread::yield();
    });
    queue.enqueue([] {});
    EXPECT_FALSE(queue.drain(milliseconds(1)));
    EXPECT_GE(queue.pending(), 1u);
    release = true;
    EXPECT_TRUE(queue.drain(kLong));
    EXPECT_EQ(queue.pending(), 0u);
}

TEST(WorkerQueueTest, ShutdownPastItsBoundFinishesTheRunningJobAndDropsTheRest) {
    ManualRunLoop loop;
    WorkerQueue queue("test", loop);
    std::atomic<bool> allQueued{false};
    std::atomic<bool> started{false};
    std::vector<int> ran;
    bool completionRan = false;
    queue.enqueue([&] {
        started = true;
        while (!allQueued) std::this_thread::yield();
        // Holds on until shutdown gave up waiting and dropped the two behind.
        while (queue.pending() > 1) std::this_thread::yield();
        ran.push_back(1);
        queue.complete([&] { completionRan = true; });
    });
    queue.enqueue([&] { ran.push_back(2); });
    queue.enqueue([&] { ran.push_back(3); });
    allQueued = true;
    while (!started) std::this_thread::yield();
    queue.shutdown(milliseconds(1));  // returns once the thread is joined
    EXPECT_EQ(ran, (std::vector<int>{1}));
    EXPECT_EQ(queue.pending(), 0u);

    // What the finished job posted does not run: the queue has stopped.
    loop.runUntilIdle();
    EXPECT_FALSE(completionRan);
    EXPECT_FALSE(queue.enqueue([&] { ran.push_back(4); }));
    EXPECT_EQ(ran, (std::vector<int>{1}));
}

TEST(WorkerQueueTest, DestructionDrainsAndJoinsAndLateCompletionsDoNotRun) {
    ManualRunLoop loop;  // outlives the queue, as the application's does
    auto target = std::make_unique<int>(0);
    std::atomic<int> saved{0};
    {
        WorkerQueue queue("test", loop);
        for (int i = 0; i < 5; ++i)
            queue.enqueue([&queue, &saved, t = target.get()] {
                ++saved;
                queue.complete([t] { ++*t; });  // would touch a freed object if it ran late
            });
    }
    EXPECT_EQ(saved.load(), 5);  // every queued job ran before the queue went
    target.reset();
    loop.runUntilIdle();  // the five completions find their queue gone
    EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST(WorkerQueueTest, AJobThatThrowsDoesNotStopTheOnesBehindIt) {
    ManualRunLoop loop;
    WorkerQueue queue("test", loop);
    std::size_t ran = 0;
    queue.enqueue([] { throw std::runtime_error("disk on fire"); });
    queue.enqueue([&] { queue.complete([&] { ++ran; }); });
    runCompletions(loop, ran, 1);
    EXPECT_EQ(ran, 1u);
    ASSERT_TRUE(queue.drain(kLong));  // the worker may not have noted the end of the job yet
    EXPECT_TRUE(queue.idle());
}

// A slow disk in the gate: each job waits there, on the worker, until let
// through; the queue counts it as pending meanwhile and drains only after.
TEST(WorkerQueueTest, ItsGateHoldsEachJobOnTheWorkerUntilItLetsItThrough) {
    ManualRunLoop loop;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> steps;  // under mutex
    int letThrough = 0;              // under mutex
    const auto mainThread = std::this_thread::get_id();
    bool gateOnWorker = true;
    WorkerQueue queue("camera roll", loop, [&](const std::string& name) {
        std::unique_lock lock(mutex);
        gateOnWorker = gateOnWorker && std::this_thread::get_id() != mainThread;
        steps.push_back("held by " + name);
        changed.notify_all();
        changed.wait(lock, [&] { return letThrough > 0; });
        --letThrough;
    });
    for (const char* job : {"job 1", "job 2"})
        ASSERT_TRUE(queue.enqueue([&, job] {
            std::lock_guard lock(mutex);
            steps.emplace_back(job);
        }));
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, kLong, [&] { return !steps.empty(); }));
        EXPECT_EQ(steps, std::vector<std::string>{"held by camera roll"});
    }
    EXPECT_EQ(queue.pending(), 2u);
    EXPECT_FALSE(queue.drain(milliseconds(20))) << "the held job is not done";
    {
        std::lock_guard lock(mutex);
        letThrough = 2;
    }
    changed.notify_all();
    ASSERT_TRUE(queue.drain(kLong));
    std::lock_guard lock(mutex);
    EXPECT_EQ(steps, (std::vector<std::string>{"held by camera roll", "job 1", "held by camera roll",
                                               "job 2"}));
    EXPECT_TRUE(gateOnWorker);
}

}  // namespace
}  // namespace kestrel
