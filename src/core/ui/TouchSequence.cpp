#include "core/ui/TouchSequence.h"

#include <algorithm>
#include <cmath>

namespace kestrel {

TouchSequence::TouchSequence(Target& target, DoubleTap doubleTap)
    : target_(&target), doubleTap_(doubleTap) {}

TouchSequence::TouchSequence(Target& target) : TouchSequence(target, DoubleTap{}) {}

float TouchSequence::distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

TouchSequence::Finger* TouchSequence::finger(int id) {
    const auto found =
        std::find_if(down_.begin(), down_.end(), [id](const Finger& f) { return f.id == id; });
    return found != down_.end() ? &*found : nullptr;
}

double TouchSequence::scale() const {
    const auto at = [this](int id) {
        return std::find_if(down_.begin(), down_.end(),
                            [id](const Finger& f) { return f.id == id; })
            ->point;
    };
    const float span = std::max(distance(at(first_), at(second_)), kMinimumSpan);
    return double{span} / double{std::max(startSpan_, kMinimumSpan)};
}

void TouchSequence::fingerDown(int id, Point point, double time) {
    if (finger(id)) return;  // told twice: the first one holds
    down_.push_back(Finger{id, point});
    switch (state_) {
        case State::kIdle: {
            state_ = State::kSingle;
            first_ = id;
            // A second tap: soon after the last tap's press, and near it.
            const bool again = lastPress_ && lastPress_->count == 1 &&
                               time - lastPress_->time <= doubleTap_.interval &&
                               distance(point, lastPress_->point) <= doubleTap_.distance;
            press_ = Tap{point, time, again ? 2 : 1};
            target_->press(point, press_->count);
            break;
        }
        case State::kSingle:
            // Two fingers: a pinch, and the one-finger touch is no tap.
            target_->cancel();
            state_ = State::kPinch;
            second_ = id;
            startSpan_ = distance(finger(first_)->point, point);
            lastPress_.reset();
            target_->pinchBegan(1);
            break;
        case State::kPinch:
        case State::kSpent:
            break;  // a third finger, or one after the gesture ended: nothing
    }
}

void TouchSequence::fingerMoved(int id, Point point) {
    Finger* moved = finger(id);
    if (!moved) return;
    moved->point = point;
    if (state_ == State::kSingle && id == first_) {
        target_->move(point);
    } else if (state_ == State::kPinch && (id == first_ || id == second_)) {
        target_->pinchChanged(scale());
    }
}

void TouchSequence::fingerUp(int id, Point point) {
    Finger* lifting = finger(id);
    if (!lifting) return;
    lifting->point = point;
    if (state_ == State::kSingle && id == first_) {
        target_->release(point);
        lastPress_ = press_;
    } else if (state_ == State::kPinch && (id == first_ || id == second_)) {
        target_->pinchEnded(scale());
        state_ = State::kSpent;
    }
    lifted(id);
}

void TouchSequence::lifted(int id) {
    std::erase_if(down_, [id](const Finger& f) { return f.id == id; });
    if (down_.empty()) state_ = State::kIdle;
}

void TouchSequence::cancelled() {
    if (state_ == State::kSingle) target_->cancel();
    if (state_ == State::kPinch) target_->pinchCancelled(scale());
    state_ = State::kIdle;
    down_.clear();
    lastPress_.reset();  // a cancelled touch is no first tap
}

}  // namespace kestrel
