#include "core/platform/WorkerQueue.h"

#include "core/platform/Log.h"

#include <exception>

#include <cerrno>
#include <cstring>

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace kestrel {
WorkerQueue::WorkerQueue(std::string name, RunLoop& mainLoop, Gate gate)
    : name_(std::move(name)), loop_(&mainLoop), gate_(std::move(gate)) {}

WorkerQueue::~WorkerQueue() { shutdown(); }

bool WorkerQueue::enqueue(Job job) {
    if (shutDown_) {
        Log::error("saving (" + name_ + "): a save came after the saver stopped; it is dropped");
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    if (!thread_.joinable()) {
        thread_ = std::thread(&WorkerQueue::run, this);
        // Shows in a debugger or top which thread saves what (at most 15 bytes).
        pthread_setname_np(thread_.native_handle(), ("save " + name_).substr(0, 15).c_str());
    }
    changed_.notify_all();
    return true;
}

void WorkerQueue::complete(RunLoop::Callback completion) {
    if (!waiting_) return;  // shut down: the main thread is the only caller left
    waiting_->fetch_add(1);
    std::weak_ptr<std::atomic<std::size_t>> waiting = waiting_;
    loop_->post([waiting, completion = std::move(completion)] {
        const auto count = waiting.lock();
        if (!count) return;  // the queue went first: its objects may be gone
        count->fetch_sub(1);
        if (completion) completion();
    });
}

std::size_t WorkerQueue::pending() const {
    std::lock_guard lock(mutex_);
    return jobs_.size() + (running_ ? 1 : 0);
}

std::size_t WorkerQueue::completionsWaiting() const { return waiting_ ? waiting_->load() : 0; }

bool WorkerQueue::drain(std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, bound, [this] { return jobs_.empty() && !running_; });
}

void WorkerQueue::shutdown(std::chrono::milliseconds bound) {
    if (shutDown_) return;
    shutDown_ = true;
    if (thread_.joinable()) {
        if (!drain(bound)) {
            std::lock_guard lock(mutex_);
            if (!jobs_.empty())
                Log::error("saving (" + name_ + "): " + std::to_string(jobs_.size()) +
                           " photo(s) not saved: Kestrel quit before their turn");
            jobs_.clear();
        }
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();  // the running job, if any, finishes first
    }
    if (const std::size_t left = completionsWaiting())
        Log::debug("saving (" + name_ + "): " + std::to_string(left) +
                   " completion(s) dropped: the saver stopped before the run loop ran them");
    waiting_.reset();
}

void WorkerQueue::yieldToTheWindow() {
    // A worker's photos are never waited on by a person the way the window
    // is: on a phone's few cores its thread gives way to the main loop's
    // (a raised nice value for this thread alone; Linux threads have their own).
    errno = 0;
    const int now = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    if (errno == 0 && setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), now + kNicer) != 0)
        Log::debug("saving (" + name_ + "): the worker keeps its priority: " + std::strerror(errno));
}

void WorkerQueue::run() {
    yieldToTheWindow();
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) return;  // stopping, and nothing left
            job = std::move(jobs_.front());
            jobs_.pop_front();
            running_ = true;
        }
        try {
            if (gate_) gate_(name_);
            job();
        } catch (const std::exception& e) {
            Log::error("saving (" + name_ + "): a save failed: " + e.what());
        } catch (...) {
            Log::error("saving (" + name_ + "): a save failed");
        }
        {
            std::lock_guard lock(mutex_);
            running_ = false;
        }
        changed_.notify_all();
    }
}

}  // namespace kestrel
