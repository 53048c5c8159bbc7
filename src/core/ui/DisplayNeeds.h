#pragma once

#include <functional>

namespace kestrel {

// Whether what the screens show has changed since the window last drew
// them. Every change of the view tree notes itself here (a view added,
// removed, brought to the front, moved, turned, faded, hidden, or showing
// other content; a screen presented, dismissed, pushed or popped; an alert
// queued), so the window draws only when something changed and a still
// screen costs nothing: it waits to be told rather than looking on a timer.
//
// Observers (the windows) are told once for the first change after each
// drawing, from inside the change itself: each should only ask for a
// drawing later (a window's update()), never draw or run a nested loop there. Changes made
// while the window draws (the cells a table asks for as it is drawn) are
// part of that drawing and tell no one. Main thread.
class DisplayNeeds {
public:
    // Something on the screens changed.
    static void note();
    // Something the window must act on besides drawing (an alert to show):
    // the observers are told even when a drawing is pending already.
    static void announce();
    // Whether something changed since the last drawing.
    static bool pending();
    // `owner` (a window) is told of the first change after each drawing,
    // until it is removed; a second call for the same owner replaces the first.
    static void addObserver(const void* owner, std::function<void()> observer);
    static void removeObserver(const void* owner);

    // Held while the window draws the screens: what changes meanwhile is
    // drawn with them, and once it ends nothing is pending.
    class Drawing {
    public:
        Drawing();
        ~Drawing();
        Drawing(const Drawing&) = delete;
        Drawing& operator=(const Drawing&) = delete;
    };
};

}  // namespace kestrel
