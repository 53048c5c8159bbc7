#pragma once

#include "core/platform/RunLoop.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace kestrel {

// A worker thread for the main loop: the jobs handed to it from the main
// thread run on its own thread, one at a time, in the order they came; each
// job hands its completion back to the main run loop with complete(). The
// application owns one to process photos, one for its own store and one for
// the device camera roll, and drains them when it quits, so a photo whose
// save was started is on disk, whole, when the process ends; the face watch
// owns one for its finder.
//
// The thread starts with the first job. Destroying the queue (or shutdown())
// waits a bounded time for the jobs, drops those that have not started by
// then (each is logged), lets the running one finish and joins the thread.
// Completions that reach the run loop after that are not run: nothing a job
// posts reaches objects destroyed after the queue. The run loop must outlive
// the queue.
class WorkerQueue {
public:
    using Job = std::function<void()>;
    // Runs on the worker before each job, with the queue's name: what a slow
    // disk does to the saves, for a program that tests quitting mid-save.
    using Gate = std::function<void(const std::string& name)>;
    static constexpr std::chrono::milliseconds kDrainBound{10000};

    // `name` says in the log whose saves these are ("camera roll"); `gate`,
    // when given, holds each job before it runs.
    WorkerQueue(std::string name, RunLoop& mainLoop, Gate gate = {});
    ~WorkerQueue();
    WorkerQueue(const WorkerQueue&) = delete;
    WorkerQueue& operator=(const WorkerQueue&) = delete;

    // Main thread. Queues a job behind the others; answers NO (and logs) once
    // the queue is shut down, and the job is dropped.
    bool enqueue(Job job);
    // From a job of this queue, or the main thread: `completion` runs on the
    // main run loop, unless the queue is shut down before its turn.
    void complete(RunLoop::Callback completion);

    // Jobs queued or running. Any thread.
    std::size_t pending() const;
    // Completions handed to the run loop that have not run yet. Any thread.
    std::size_t completionsWaiting() const;
    // Nothing queued, running or waiting to complete.
    bool idle() const { return pending() == 0 && completionsWaiting() == 0; }

    // Blocks the calling thread until no job is queued or running, or until
    // `bound` has passed; answers whether the jobs are done. Completions are
    // not run here: that is the run loop's part.
    bool drain(std::chrono::milliseconds bound);
    // Drains within `bound`, drops what has not started, joins the thread.
    // Main thread; a second call does nothing.
    void shutdown(std::chrono::milliseconds bound = kDrainBound);

    const std::string& name() const { return name_; }

private:
    void run();
    void yieldToTheWindow();
    static constexpr int kNicer = 5;

    const std::string name_;
    RunLoop* loop_;
    const Gate gate_;

    mutable std::mutex mutex_;  // guards the four below
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool running_ = false;   // a job is running
    bool stopping_ = false;  // the thread ends when the queue is empty

    std::thread thread_;
    bool shutDown_ = false;  // main thread only
    // Counts the completions on their way; the posts hold it weakly, and it
    // goes when the queue shuts down, so that late completions do not run.
    std::shared_ptr<std::atomic<std::size_t>> waiting_ =
        std::make_shared<std::atomic<std::size_t>>(0);
};

}  // namespace kestrel
