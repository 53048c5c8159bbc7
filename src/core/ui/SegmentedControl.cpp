#include "core/ui/SegmentedControl.h"

#include <algorithm>

namespace kestrel {

SegmentedControl::SegmentedControl(Rect frame, std::vector<std::string> titles)
    : View(frame), titles_(std::move(titles)) {}

const std::string& SegmentedControl::titleForSegment(int index) const {
    static const std::string none;
    return index >= 0 && index < numberOfSegments() ? titles_[static_cast<std::size_t>(index)]
                                                    : none;
}

void SegmentedControl::setTitle(int index, std::string title) {
    if (index < 0 || index >= numberOfSegments()) return;
    titles_[static_cast<std::size_t>(index)] = std::move(title);
    setNeedsDisplay();
}

void SegmentedControl::setSelectedSegmentIndex(int index) {
    if (index < kNoSegment || index >= numberOfSegments() || index == selected_) return;
    selected_ = index;
    noteChange("selectedSegmentIndex");
    setNeedsDisplay();
}

void SegmentedControl::choose(int index) {
    if (index < 0 || index >= numberOfSegments()) return;
    setSelectedSegmentIndex(index);
    if (action_) action_(*this);
}

void SegmentedControl::touchesEnded(const Touch& touch) {
    const int n = numberOfSegments();
    if (n <= 0 || frame().width <= 0) return;
    const float x = touch.locationIn(*this).x;
    choose(std::clamp(static_cast<int>(x / (frame().width / static_cast<float>(n))), 0, n - 1));
}

}  // namespace kestrel
