#pragma once

#include "core/base/Image.h"
#include "core/platform/RunLoop.h"
#include "core/sensors/MotionDetector.h"

#include <deque>
#include <optional>

namespace kestrel {

// Whether the camera is held still, told by the live view itself, for a
// device without an accelerometer. Each snapshot is compared with the one
// before by the motion detector's measure: the share of the view whose luma
// moved by more than 24 levels. The picture is still once every snapshot of
// the last second was compared and changed by less than the threshold: one
// quiet pair is not enough (a camera can hand over the same frame twice, and
// a swaying hand is still for an instant at each turn). A snapshot that
// cannot be compared (the first, a black one, one of a new size) starts the
// second again. Main thread.
class PictureSteadiness {
public:
    static constexpr RunLoop::Duration kStillFor = RunLoop::seconds(1.0);
    // Snapshots are measured at most this wide or high: a share of the view
    // then means the same in a small window and in a large one.
    static constexpr int kMeasuredSide = 320;

    // One snapshot of the live view, taken at `when`. Answers whether the
    // picture has been still for kStillFor with `threshold` (a share of the
    // view).
    bool still(const Image& snapshot, RunLoop::Duration when, float threshold);
    // Forgets every snapshot: the next one is only taken in.
    void reset();

    // The largest change (a share of the view) of the comparisons within the
    // last kStillFor of the latest snapshot; none while no comparison was
    // made since the second last started again.
    std::optional<float> recentChange() const;
    // The change of the latest snapshot from the one before; none when it
    // could not be compared.
    std::optional<float> lastChange() const {
        return run_.empty() ? std::nullopt : std::optional(run_.back().change);
    }

    // The snapshot at the size it is measured at.
    static Image measured(const Image& snapshot);

private:
    struct Comparison {
        RunLoop::Duration when;
        float change;
    };

    MotionDetector detector_;
    // The comparisons since the last snapshot that could not be compared,
    // oldest first: those within kStillFor of the newest, and the last one
    // before them, from which on the picture may have been still.
    std::deque<Comparison> run_;
};

}  // namespace kestrel
