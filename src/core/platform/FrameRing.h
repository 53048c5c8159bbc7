#pragma once

#include "core/base/Image.h"
#include "core/platform/RunLoop.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

namespace kestrel {

// The most recent frames a camera delivered, at full size, so that a still
// can be the frame of a moment just past (the clap, the first sign of
// motion) instead of the next one after the decision. Frames are kept as
// the source delivered them and converted only when one is chosen.
//
// Bounded twice: by time (about the last second) and by memory (a budget in
// bytes, with a frame count behind it); the oldest frames go first. A frame
// larger than the whole budget is not kept.
//
// Each frame may carry a sharpness figure, from the live view's frame of the
// same moment, for a choice of the sharpest frame of a window.
//
// Threads: a camera's streaming thread adds, the loop's thread chooses; every
// call takes the ring's lock, and frames are handed out by reference.
class FrameRing {
public:
    // A frame as its source delivered it.
    class Frame {
    public:
        virtual ~Frame() = default;
        // The frame converted into a picture; none when it cannot be. Any
        // thread, possibly long after it was kept.
        virtual Image picture() const = 0;
    };
    struct Budget {
        RunLoop::Duration span = RunLoop::seconds(1.0);
        std::size_t maxBytes = std::size_t{192} << 20;  // a phone's share for it
        std::size_t maxFrames = 60;
    };
    struct Kept {
        RunLoop::Duration time{};
        std::size_t bytes = 0;
        std::shared_ptr<const Frame> frame;
        std::optional<double> sharpness;
    };

    FrameRing();
    explicit FrameRing(Budget budget);

    const Budget& budget() const { return budget_; }
    // Keeps a frame delivered at `time` (on the run loop's clock), `bytes`
    // large, and lets the oldest go to stay within the budget. Frames come
    // in time order; one older than the newest kept is dropped.
    void add(RunLoop::Duration time, std::size_t bytes, std::shared_ptr<const Frame> frame);
    // The live view's sharpness figure for the frame of `time`: given to the
    // kept frame nearest it within `tolerance` (a live frame and its full-size
    // twin carry the same time from the same camera, or nearly).
    void noteSharpness(RunLoop::Duration time, double sharpness,
                       RunLoop::Duration tolerance = RunLoop::seconds(0.01));
    // The kept frame whose time is nearest `moment` (the earlier of two as
    // near), or none when nothing is kept.
    std::optional<Kept> nearest(RunLoop::Duration moment) const;
    // The kept frame of [from, to] with the highest sharpness figure (the
    // earliest of equals); frames without a figure count only when none has
    // one, and then the one nearest the window's middle is answered. None when
    // nothing is kept in the window.
    std::optional<Kept> sharpest(RunLoop::Duration from, RunLoop::Duration to) const;
    void clear();

    std::size_t size() const;
    std::size_t bytes() const;
    // The times of the oldest and newest kept frames; none when empty.
    std::optional<RunLoop::Duration> oldest() const;
    std::optional<RunLoop::Duration> newest() const;

private:
    // Moves the frames beyond the budget into `gone`. Under the lock.
    void trim(std::deque<Kept>& gone);

    const Budget budget_;
    mutable std::mutex mutex_;  // guards the two below
    std::deque<Kept> frames_;
    std::size_t bytes_ = 0;
};

}  // namespace kestrel
