#pragma once

namespace kestrel {

// The screen a touch belongs to: the one it began on.
//
// When the screen changes under a finger held down (a key opens the album,
// Escape closes it), the touch ends with that screen, cancelled: lifted, it
// taps nothing of the screen that went (no photo opened behind the camera,
// no shutter on the album).
//
// The second tap of a double tap (a double-click, a touch screen's quick
// second tap) belongs to the screen its first tap was on. When the first tap
// changed what is shown (opened the settings or the album, closed them,
// opened a photo, closed the list of keys), the second lands on a screen the
// user has not seen yet, often on one of its controls, and does nothing
// there: a double-click on the settings button turns none of their
// switches, one on the album's Done does not switch the camera. A double
// tap that stays on one screen (the live view's return to 1× zoom) is a
// double tap as before. Main thread.
class TouchedScreen {
public:
    // A touch begins on `screen` (whatever stands for what is shown), the
    // `tapCount`th of a run of quick taps: whether it goes to that screen.
    bool began(const void* screen, int tapCount);
    // Whether the touch that began goes on with `screen` shown; when not,
    // it is over (cancelled) and every later question answers no.
    bool continuesOn(const void* screen);

private:
    const void* firstTapScreen_ = nullptr;
    const void* touching_ = nullptr;
};

}  // namespace kestrel
