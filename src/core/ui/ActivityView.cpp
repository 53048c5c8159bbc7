#include "core/ui/ActivityView.h"

#include "core/ui/AnimationBlock.h"
#include "core/ui/HoverView.h"

namespace kestrel {
namespace {

constexpr int kFade = 3;

// One fade block around `change`, or the change at once when no block starts.
template <class Change>
void faded(View* view, Change change) {
    AnimationBlock* block = AnimationBlock::animation();
    const bool started = block && block->start(view, true, kFade);
    change();
    if (block) block->end(view, started);
}

}  // namespace

ActivityView::ActivityView(Rect frame) : View(frame), label_(std::make_shared<Label>()) {
    label_->setFont(Font{17, true});
    addSubview(label_);
}

void ActivityView::startAnimating(const std::string& text) {
    faded(this, [&] {
        setHidden(false);
        label_->setFont(Font{17, true});
        label_->setText(text);
        spinning_ = true;
        setNeedsDisplay();
    });
}

void ActivityView::startAnimating(const std::string& text, const std::shared_ptr<View>& self,
                                  View& parent) {
    parent.addSubview(self);
    setCenter(Point{parent.bounds().width / 2, parent.bounds().height / 2});
    parent.bringSubviewToFront(this);
    startAnimating(text);
}

void ActivityView::stopAnimating() {
    faded(this, [&] {
        spinning_ = false;
        setHidden(true);
    });
}

Drawing ActivityView::draw() const {
    if (lookThrough_) return {};
    return {HoverView::roundedPanel(bounds(), 0.2f, 0.5f)};
}

}  // namespace kestrel
