#include "gui/AnimationPlayer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrel::gui {
namespace {

double mix(double a, double b, double t) { return a + (b - a) * t; }

float mixf(float a, float b, double t) { return static_cast<float>(mix(a, b, t)); }

}  // namespace

double AnimationPlayer::progress(double now, double start, double duration) {
    if (duration <= 0) return 1;
    return std::clamp((now - start) / duration, 0.0, 1.0);
}

void AnimationPlayer::take(std::vector<AnimationBlock::Record> records, double now) {
    for (auto& record : records) {
        const double start = std::min(now, RunLoop::toSeconds(record.at));
        if (record.kind == AnimationBlock::Kind::kLayerTransition) {
            const auto found = pictures_.find(record.view);
            Transition transition;
            if (found != pictures_.end()) {
                transition.from = found->second.first;
                transition.fromTarget = found->second.second;
            }
            transition.start = start;
            transition.duration = record.duration;
            transition.kind = record.transition;
            transition.subtype = record.subtype;
            transitions_[record.view] = std::move(transition);
            continue;
        }
        // Every view the block changed moves from where it was last drawn.
        std::vector<const View*> moved;
        for (const auto& change : record.changes)
            if (std::find(moved.begin(), moved.end(), change.view) == moved.end())
                moved.push_back(change.view);
        if (record.transition != "none" &&
            std::find(moved.begin(), moved.end(), record.view) == moved.end())
            moved.push_back(record.view);
        for (const View* view : moved) {
            const auto from = startOf(*view, record, start);
            if (!from) continue;  // never drawn and not the block's own: nothing to move from
            motions_[view] = Motion{*from, start, record.duration, record.linear,
                                    view == record.view ? record.transition : std::string("none")};
        }
    }
}

// Where a view changed in a block moves from. The block's own view starts
// where it stood when the block began, which the block recorded: it may have
// been put there just before, never drawn (a deleted photo laid over the
// screen and sent to the trash at once). A view still on its way from an
// earlier block goes on from where it is shown; other views start where they
// were last drawn.
std::optional<AnimationPlayer::State> AnimationPlayer::startOf(const View& view,
                                                               const AnimationBlock::Record& record,
                                                               double start) const {
    const auto last = last_.find(&view);
    const auto running = motions_.find(&view);
    const bool moving = running != motions_.end() &&
                        progress(start, running->second.start, running->second.duration) < 1;
    if (&view == record.view && !(moving && last != last_.end()))
        return State{record.fromFrame, record.fromAlpha, record.fromTransform};
    if (last == last_.end()) return std::nullopt;
    return last->second;
}

AnimationPlayer::State AnimationPlayer::present(const View& view, double now) {
    State state{view.frame(), view.alpha(), view.transform()};
    const auto found = motions_.find(&view);
    if (found != motions_.end()) {
        const Motion& motion = found->second;
        const double t = progress(now, motion.start, motion.duration);
        const double eased = motion.linear ? t : t * t * (3 - 2 * t);
        const State& from = motion.from;
        State shown;
        shown.frame =
            Rect{mixf(from.frame.x, state.frame.x, eased), mixf(from.frame.y, state.frame.y, eased),
                 mixf(from.frame.width, state.frame.width, eased),
                 mixf(from.frame.height, state.frame.height, eased)};
        shown.alpha = mix(from.alpha, state.alpha, eased);
        shown.transform =
            View::Transform{mix(from.transform.rotation, state.transform.rotation, eased),
                            mix(from.transform.scaleX, state.transform.scaleX, eased),
                            mix(from.transform.scaleY, state.transform.scaleY, eased)};
        if (motion.transition.starts_with("flip")) {
            shown.transform.scaleX *= std::max(0.02, std::abs(std::cos(std::numbers::pi * t)));
        } else if (motion.transition.starts_with("curl")) {
            const double lift = std::sin(std::numbers::pi * t);
            shown.frame.y -= static_cast<float>((motion.transition == "curlUp" ? 1 : -1) * lift *
                                                shown.frame.height * 0.3);
            shown.alpha *= 1 - 0.5 * lift;
        }
        if (t >= 1)
            motions_.erase(found);
        else
            state = shown;
    }
    last_[&view] = state;
    return state;
}

AnimationPlayer::State AnimationPlayer::shown(const View& view) const {
    const auto last = last_.find(&view);
    return last != last_.end() ? last->second : State{view.frame(), view.alpha(), view.transform()};
}

void AnimationPlayer::drawPicture(QPainter& p, const View& view, const QImage& image,
                                  const QRectF& target, const QRectF& box, double now) {
    pictures_[&view] = {image, target};
    const auto found = transitions_.find(&view);
    if (found == transitions_.end() || found->second.from.isNull()) {
        if (found != transitions_.end()) transitions_.erase(found);
        if (!image.isNull()) p.drawImage(target, image);
        return;
    }
    const Transition& transition = found->second;
    const double t = progress(now, transition.start, transition.duration);
    if (t >= 1) {
        transitions_.erase(found);
        if (!image.isNull()) p.drawImage(target, image);
        return;
    }
    // The side the new picture comes from, as a unit shift of the old one.
    double dx = 0, dy = 0;
    if (transition.subtype == "fromRight")
        dx = -1;
    else if (transition.subtype == "fromLeft")
        dx = 1;
    else if (transition.subtype == "fromTop")
        dy = 1;
    else if (transition.subtype == "fromBottom")
        dy = -1;
    const QPointF away(dx * box.width() * t, dy * box.height() * t);
    const QPointF coming(-dx * box.width() * (1 - t), -dy * box.height() * (1 - t));
    const double opacity = p.opacity();
    if (transition.kind == "fade") {
        p.setOpacity(opacity * (1 - t));
        p.drawImage(transition.fromTarget, transition.from);
        p.setOpacity(opacity * t);
        if (!image.isNull()) p.drawImage(target, image);
    } else if (transition.kind == "push") {
        p.drawImage(transition.fromTarget.translated(away), transition.from);
        if (!image.isNull()) p.drawImage(target.translated(coming), image);
    } else if (transition.kind == "reveal") {
        if (!image.isNull()) p.drawImage(target, image);
        p.drawImage(transition.fromTarget.translated(away), transition.from);
    } else {  // moveIn
        p.drawImage(transition.fromTarget, transition.from);
        if (!image.isNull()) p.drawImage(target.translated(coming), image);
    }
    p.setOpacity(opacity);
}

bool AnimationPlayer::animating(double now) const {
    for (const auto& [view, motion] : motions_)
        if (progress(now, motion.start, motion.duration) < 1) return true;
    for (const auto& [view, transition] : transitions_)
        if (progress(now, transition.start, transition.duration) < 1) return true;
    return false;
}

}  // namespace kestrel::gui
