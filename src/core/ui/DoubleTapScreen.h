#pragma once

namespace kestrel {

// The second tap of a double tap (a double-click, a touch screen's quick
// second tap) belongs to the screen its first tap was on. When the first tap
// changed what is shown (opened the settings or the album, closed them,
// opened a photo, closed the list of keys), the second lands on a screen the
// user has not seen yet, often on one of its controls, and does nothing
// there: a double-click on the settings button opens the settings and turns
// none of their switches, one on the album's Done does not switch the
// camera. A double tap that stays on one screen (the live view's return to
// 1× zoom) is a double tap as before. Main thread.
class DoubleTapScreen {
public:
    // A tap begins on `screen` (whatever stands for what is shown), the
    // `tapCount`th of a run of quick taps: whether it goes to that screen.
    bool accepts(const void* screen, int tapCount);

private:
    const void* firstTapScreen_ = nullptr;
};

}  // namespace kestrel
