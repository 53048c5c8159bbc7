#include "core/library/SelectImageView.h"

namespace kestrel {

SelectImageView::SelectImageView(Rect frame, RunLoop& loop)
    : ImageView(frame),
      selectView_(std::make_shared<ImageView>(Rect{0, 0, frame.width, frame.height})),
      deselectTimer_(loop) {
    selectView_->setImageName("select_none.png");
    addSubview(selectView_);
}

void SelectImageView::setSelected(bool selected) {
    selected_ = selected;
    selectView_->setImageName(!selected    ? "select_none.png"
                              : momentary_ ? "select_single.png"
                                           : "select_multi.png");
}

void SelectImageView::momentarySelect() {
    momentary_ = true;
    setSelected(true);
    deselectTimer_.start(RunLoop::seconds(kMomentarySeconds), [this] { deselect(); });
}

void SelectImageView::deselect() { setSelected(false); }

}  // namespace kestrel
