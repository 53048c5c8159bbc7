#pragma once

#include "core/ui/AnimationBlock.h"
#include "core/ui/View.h"

#include <QImage>
#include <QPainter>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestrel::gui {

// Plays the core's animation blocks on screen. The core changes its model
// values at once and records which views changed inside a block, with the
// block's type, duration and curve and where the block's own view began;
// this moves each view from there (the other views from how they were last
// drawn) to the model values over the block's time: frames, alpha and
// transforms for view animations (flips squeeze through the edge, curls lift
// away), and for layer transitions on pictures a fade, push, reveal or
// move-in from the side the block names. Times are the run loop's, in seconds.
class AnimationPlayer {
public:
    struct State {
        Rect frame;
        double alpha = 1;
        View::Transform transform;
    };

    void take(std::vector<AnimationBlock::Record> records, double now);
    // What the view shows now: its model values, or on its way to them.
    State present(const View& view, double now);
    // What present() last answered for the view (its model values if never
    // asked): the size its content is drawn in, which a moving view changes.
    State shown(const View& view) const;
    // Draws a picture view's image, across a layer transition when one runs.
    void drawPicture(QPainter& p, const View& view, const QImage& image, const QRectF& target,
                     const QRectF& box, double now);
    bool animating(double now) const;

private:
    struct Motion {
        State from;
        double start = 0;
        double duration = 0;
        bool linear = false;
        std::string transition;  // view transitions: "flipFromLeft", "curlUp", ...
    };
    struct Transition {
        QImage from;
        QRectF fromTarget;
        double start = 0;
        double duration = 0;
        std::string kind;     // fade, push, reveal, moveIn
        std::string subtype;  // fromRight, fromLeft, fromTop, fromBottom
    };
    static double progress(double now, double start, double duration);
    std::optional<State> startOf(const View& view, const AnimationBlock::Record& record,
                                 double start) const;

    std::unordered_map<const View*, State> last_;
    std::unordered_map<const View*, Motion> motions_;
    std::unordered_map<const View*, Transition> transitions_;
    std::unordered_map<const View*, std::pair<QImage, QRectF>> pictures_;
};

}  // namespace kestrel::gui
