#pragma once

#include "core/platform/NotificationCenter.h"
#include "core/ui/View.h"

namespace kestrel {

// A view that announces taps: one tap posts "Single Tap", two post
// "Double Tap", with the view as sender.
class TouchView : public View {
public:
    static constexpr const char* kSingleTap = "Single Tap";
    static constexpr const char* kDoubleTap = "Double Tap";

    explicit TouchView(Rect frame = {},
                       NotificationCenter& center = NotificationCenter::defaultCenter())
        : View(frame), center_(&center) {}

    // A touch ended after `tapCount` taps.
    void touchesEnded(int tapCount);
    void touchesEnded(const Touch& touch) override { touchesEnded(touch.tapCount); }

private:
    NotificationCenter* center_;
};

}  // namespace kestrel
