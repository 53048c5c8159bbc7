#pragma once

#include "core/platform/CameraPicker.h"
#include "core/platform/FrameRing.h"
#include "core/platform/RunLoop.h"

#include <optional>
#include <string>

namespace kestrel {

// Which frame of the camera a picture is. While the mode waits for its
// trigger and "Catch the Moment" or "Pick the Sharpest" is on, the camera
// keeps its recent frames; when the trigger fires, the still is the kept
// frame nearest the event's own moment (the clap, the first changed
// snapshot), or the sharpest within kSharpestWindow of it, not the next frame
// after the decision. With the flash set to fire the frames are not used:
// they were taken without it. Main thread.
class MomentCapture {
public:
    static constexpr double kSharpestWindow = 0.3;

    struct Options {
        bool catchTheMoment = false;
        bool pickTheSharpest = false;
        bool flash = false;  // the flash is set to fire for the picture
    };
    // How to ask for a still: the camera's choice, after `wait` (the end of
    // the window the sharpest frame is chosen from).
    struct Plan {
        CameraPicker::StillChoice choice;
        RunLoop::Duration wait{};
        std::optional<RunLoop::Duration> event;  // the moment the picture is of
    };

    MomentCapture(RunLoop& loop, CameraPicker& picker, FrameRing::Budget budget = {});
    ~MomentCapture();
    MomentCapture(const MomentCapture&) = delete;
    MomentCapture& operator=(const MomentCapture&) = delete;

    // The camera keeps frames when `waiting` (the mode waits for its trigger,
    // or takes a press at any time) under options that use them, else lets
    // them go.
    void update(const Options& options, bool waiting);
    bool keeping() const { return keeping_; }
    // The still of a trigger whose event happened at `event` (none: now).
    Plan plan(const Options& options, std::optional<RunLoop::Duration> event) const;
    // One trace line for the still's frame: its time, and how far it lies
    // from the event and from the decision (negative: before it).
    static std::string describe(const Plan& plan, RunLoop::Duration decided,
                                std::optional<RunLoop::Duration> frameTime);

private:
    static bool usesFrames(const Options& options) {
        return (options.catchTheMoment || options.pickTheSharpest) && !options.flash;
    }

    RunLoop* loop_;
    CameraPicker* picker_;
    FrameRing::Budget budget_;
    bool keeping_ = false;
    bool sharpness_ = false;
};

}  // namespace kestrel
