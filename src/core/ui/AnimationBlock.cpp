#include "core/ui/AnimationBlock.h"

#include "core/ui/View.h"

#include <array>
#include <cstdlib>

namespace kestrel {
namespace {

AnimationBlock* shared = nullptr;

const char* viewTransition(int type) {
    switch (type) {
        case 4:
            return "curlUp";
        case 5:
            return "curlDown";
        case 6:
            return "flipFromRight";
        case 7:
            return "flipFromLeft";
        default:
            return "none";
    }
}

}  // namespace

AnimationBlock::AnimationBlock(RunLoop* loop) : loop_(loop) { shared = this; }

AnimationBlock::~AnimationBlock() {
    if (shared == this) shared = nullptr;
}

AnimationBlock* AnimationBlock::animation() { return shared; }

int AnimationBlock::smoothRandom() {
    static constexpr std::array<int, 9> kTypes{4, 6, 11, 8, 19, 16, 15, 12, 21};
    return kTypes[static_cast<std::size_t>(std::rand() % 9)];
}

std::optional<std::string> AnimationBlock::getType(int type) {
    if (type == 3) return "fade";
    if (type >= 8 && type <= 11) return "push";
    if (type >= 12 && type <= 15) return "reveal";
    if (type >= 16 && type <= 19) return "moveIn";
    return std::nullopt;
}

std::optional<std::string> AnimationBlock::getSubtype(int type) {
    static constexpr std::array<const char*, 4> kSides{"fromRight", "fromLeft", "fromTop",
                                                       "fromBottom"};
    if (type >= 8 && type <= 19) return kSides[static_cast<std::size_t>((type - 8) % 4)];
    return std::nullopt;
}

bool AnimationBlock::start(View* view, bool wants, int type, std::function<void()> didStop) {
    if (type == 0) type = smoothRandom();
    if (type < 0 || type > kLastType) return false;
    const double seconds = type == 20 || type == 21 ? kScaleDuration : kViewDuration;
    return start(view, wants, type, std::move(didStop), seconds);
}

bool AnimationBlock::start(View* view, bool wants, int type, std::function<void()> didStop,
                           double seconds) {
    if (view && view->hidden()) return false;
    if (!enabled_ || started_ || !wants || !view) return false;
    started_ = true;
    view_ = view;
    type_ = type;
    duration_ = seconds;
    didStop_ = std::move(didStop);
    pending_.clear();
    fromFrame_ = view->frame();
    fromAlpha_ = view->alpha();
    fromTransform_ = view->transform();
    if (type == 20) view->setTransform(View::Transform::scaled(1.3));
    if (type == 21) view->setTransform(View::Transform::scaled(1.0));
    return true;
}

void AnimationBlock::end(View* view, bool animated) { end(view, animated, kLayerDuration); }

void AnimationBlock::end(View* view, bool animated, double seconds) {
    if (!started_ || !animated || view != view_) return;
    Record record;
    record.view = view_;
    record.type = type_;
    if (isLayerTransition(type_)) {
        record.kind = Kind::kLayerTransition;
        record.duration = seconds;
        record.linear = true;
        record.transition = *getType(type_);
        record.subtype = getSubtype(type_).value_or("");
    } else {
        record.kind = Kind::kViewAnimation;
        record.duration = duration_;
        record.linear = type_ == 2;
        record.transition = viewTransition(type_);
    }
    record.changes = std::move(pending_);
    record.fromFrame = fromFrame_;
    record.fromAlpha = fromAlpha_;
    record.fromTransform = fromTransform_;
    record.at = loop_ ? loop_->now() : RunLoop::Duration{};
    pending_.clear();
    const double duration = record.duration;
    records_.push_back(std::move(record));
    // Nobody plays them (kestrel-cli, a hidden window): the oldest half goes,
    // so that a run of thousands of pictures keeps a bounded list.
    if (records_.size() > kMaxRecords)
        records_.erase(records_.begin(),
                       records_.begin() + static_cast<std::ptrdiff_t>(kMaxRecords / 2));
    view_ = nullptr;
    started_ = false;
    if (auto callback = std::exchange(didStop_, nullptr)) {
        if (loop_)
            loop_->schedule(RunLoop::seconds(duration), std::move(callback));
        else
            callback();
    }
}

void AnimationBlock::noteChange(const View* view, const char* property) {
    if (!shared || !shared->started_) return;
    shared->pending_.push_back(Change{view, property});
}

}  // namespace kestrel
