#include "core/platform/FrameRing.h"

#include <algorithm>
#include <utility>

namespace kestrel {
namespace {

RunLoop::Duration distance(RunLoop::Duration a, RunLoop::Duration b) { return a < b ? b - a : a - b; }

}  // namespace

FrameRing::FrameRing() : FrameRing(Budget{}) {}

FrameRing::FrameRing(Budget budget) : budget_(budget) {}

void FrameRing::add(RunLoop::Duration time, std::size_t bytes, std::shared_ptr<const Frame> frame) {
    if (!frame || bytes > budget_.maxBytes || budget_.maxFrames == 0) return;
    std::deque<Kept> gone;  // let go outside the lock, as in clear()
    std::lock_guard lock(mutex_);
    if (!frames_.empty() && time < frames_.back().time) return;
    frames_.push_back(Kept{time, bytes, std::move(frame), std::nullopt});
    bytes_ += bytes;
    trim(gone);
}

void FrameRing::trim(std::deque<Kept>& gone) {
    const RunLoop::Duration newest = frames_.back().time;
    while (!frames_.empty() &&
           (bytes_ > budget_.maxBytes || frames_.size() > budget_.maxFrames ||
            newest - frames_.front().time > budget_.span)) {
        bytes_ -= frames_.front().bytes;
        gone.push_back(std::move(frames_.front()));
        frames_.pop_front();
    }
}

void FrameRing::noteSharpness(RunLoop::Duration time, double sharpness, RunLoop::Duration tolerance) {
    std::lock_guard lock(mutex_);
    Kept* best = nullptr;
    for (Kept& kept : frames_)
        if (distance(kept.time, time) <= tolerance &&
            (!best || distance(kept.time, time) < distance(best->time, time)))
            best = &kept;
    if (best) best->sharpness = sharpness;
}

std::optional<FrameRing::Kept> FrameRing::nearest(RunLoop::Duration moment) const {
    std::lock_guard lock(mutex_);
    const Kept* best = nullptr;
    for (const Kept& kept : frames_)
        if (!best || distance(kept.time, moment) < distance(best->time, moment)) best = &kept;
    if (!best) return std::nullopt;
    return *best;
}

std::optional<FrameRing::Kept> FrameRing::sharpest(RunLoop::Duration from, RunLoop::Duration to) const {
    std::lock_guard lock(mutex_);
    const RunLoop::Duration middle = from + (to - from) / 2;
    const Kept* best = nullptr;
    for (const Kept& kept : frames_) {
        if (kept.time < from || kept.time > to) continue;
        if (!best) {
            best = &kept;
        } else if (kept.sharpness && (!best->sharpness || *kept.sharpness > *best->sharpness)) {
            best = &kept;
        } else if (!kept.sharpness && !best->sharpness &&
                   distance(kept.time, middle) < distance(best->time, middle)) {
            best = &kept;
        }
    }
    if (!best) return std::nullopt;
    return *best;
}

void FrameRing::clear() {
    std::deque<Kept> gone;
    {
        std::lock_guard lock(mutex_);
        gone.swap(frames_);
        bytes_ = 0;
    }
    // The frames go outside the lock: letting a source's buffer go may call
    // back into the source.
}

std::size_t FrameRing::size() const {
    std::lock_guard lock(mutex_);
    return frames_.size();
}

std::size_t FrameRing::bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

std::optional<RunLoop::Duration> FrameRing::oldest() const {
    std::lock_guard lock(mutex_);
    if (frames_.empty()) return std::nullopt;
    return frames_.front().time;
}

std::optional<RunLoop::Duration> FrameRing::newest() const {
    std::lock_guard lock(mutex_);
    if (frames_.empty()) return std::nullopt;
    return frames_.back().time;
}

}  // namespace kestrel
