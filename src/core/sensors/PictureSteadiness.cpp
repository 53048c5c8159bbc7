#include "core/sensors/PictureSteadiness.h"

#include "core/imaging/ImageUtils.h"

#include <algorithm>
#include <cmath>

namespace kestrel {

Image PictureSteadiness::measured(const Image& snapshot) {
    if (!snapshot) return snapshot;
    const Size size = snapshot.size();
    const float longer = std::max(size.width, size.height);
    if (longer <= kMeasuredSide) return snapshot;
    const float scale = kMeasuredSide / longer;
    return ImageUtils::drawPosterImage(snapshot,
                                       Size{std::max(1.0f, std::round(size.width * scale)),
                                            std::max(1.0f, std::round(size.height * scale))});
}

bool PictureSteadiness::still(const Image& snapshot, RunLoop::Duration when, float threshold) {
    const long before = detector_.comparisons();
    float change = threshold;
    detector_.motion(measured(snapshot), change);
    if (detector_.comparisons() == before) {
        // Only taken in (the first, a new size) or skipped (black, none):
        // nothing is known of the time since the last comparison.
        run_.clear();
        return false;
    }
    run_.push_back(Comparison{when, change});
    while (run_.size() >= 2 && run_[1].when <= when - kStillFor)
        run_.pop_front();
    // Still from the oldest comparison kept on, for kStillFor at least, when
    // every later one stayed under the threshold.
    if (run_.front().when > when - kStillFor) return false;
    return std::all_of(run_.begin() + 1, run_.end(),
                       [threshold](const Comparison& c) { return c.change < threshold; });
}

std::optional<float> PictureSteadiness::recentChange() const {
    if (run_.empty()) return std::nullopt;
    const RunLoop::Duration newest = run_.back().when;
    std::optional<float> largest;
    for (const Comparison& c : run_)
        if (c.when > newest - kStillFor) largest = std::max(largest.value_or(0.0f), c.change);
    return largest;
}

void PictureSteadiness::reset() {
    detector_.reset();
    run_.clear();
}

}  // namespace kestrel
