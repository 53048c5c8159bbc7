#pragma once

#include "core/base/Geometry.h"

#include <optional>
#include <vector>

namespace kestrel {

// What the fingers on a touch screen mean, from the points the window
// reports (each finger by its id, in screen points). One finger is what the
// mouse is: a press, moves and a release, a second tap soon after and near
// the first counting as a double tap, as the mouse's double-click. A second
// finger turns the touch into a pinch: the one-finger touch is cancelled
// (no tap, no shutter), and the pinch's scale follows the fingers' distance.
// The pinch ends when either of its fingers lifts; nothing more happens
// until every finger is up (a third finger means nothing). A cancellation
// from the system ends whichever gesture runs, as cancelled. Main thread.
class TouchSequence {
public:
    // Fingers closer than this count as this far apart, so that fingers
    // landing almost together do not make a tiny move a large scale.
    static constexpr float kMinimumSpan = 30;

    // What the gestures do: the window's touch handling.
    class Target {
    public:
        virtual ~Target() = default;
        virtual void press(Point point, int tapCount) = 0;
        virtual void move(Point point) = 0;
        virtual void release(Point point) = 0;
        // The one-finger touch ends without being a tap.
        virtual void cancel() = 0;
        virtual void pinchBegan(double scale) = 0;
        virtual void pinchChanged(double scale) = 0;
        virtual void pinchEnded(double scale) = 0;
        virtual void pinchCancelled(double scale) = 0;
    };
    struct DoubleTap {
        double interval = 0.4;  // seconds from the first press to the second
        float distance = 10;    // points between the presses
    };

    // The double tap as the platform times the mouse's double-click, or 0.4 s and 10 points.
    TouchSequence(Target& target, DoubleTap doubleTap);
    explicit TouchSequence(Target& target);

    // `time` in seconds, on any clock that does not go backwards.
    void fingerDown(int id, Point point, double time);
    void fingerMoved(int id, Point point);
    void fingerUp(int id, Point point);
    // The system took the touches away (a call, a gesture of the shell).
    void cancelled();

    bool pinching() const { return state_ == State::kPinch; }
    std::size_t fingersDown() const { return down_.size(); }

private:
    enum class State { kIdle, kSingle, kPinch, kSpent };
    struct Finger {
        int id;
        Point point;
    };
    Finger* finger(int id);
    double scale() const;
    static float distance(Point a, Point b);
    void lifted(int id);

    Target* target_;
    DoubleTap doubleTap_;
    State state_ = State::kIdle;
    std::vector<Finger> down_;  // every finger on the screen, in the order they landed
    int first_ = 0;             // the single touch's finger; the pinch's first
    int second_ = 0;            // the pinch's second finger
    float startSpan_ = 0;
    struct Tap {
        Point point;
        double time;
        int count;
    };
    std::optional<Tap> lastPress_;  // the press of the last touch that ended as a tap
    std::optional<Tap> press_;      // the press of the touch under way
};

}  // namespace kestrel
