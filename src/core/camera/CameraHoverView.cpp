#include "core/camera/CameraHoverView.h"

namespace kestrel {

CameraHoverView::CameraHoverView()
    : HoverView(Rect{60, 300, 200, 90}, 0.8f, 0.5f),
      imageView_(std::make_shared<ImageView>(Rect{75, 8, 50, 50})),
      indicatorView_(std::make_shared<IndicatorView>(Rect{13, 66, 174, 14})),
      textLabel_(std::make_shared<Label>(Rect{8, 22, 184, 24})) {
    textLabel_->setFont(Font{15, true});
    textLabel_->setTextColor(Color{1, 1, 1, 1});
    textLabel_->setAlignment(Label::Alignment::kCenter);
    textLabel_->setHidden(true);
    addSubview(imageView_);
    addSubview(textLabel_);
    addSubview(indicatorView_);
    setHidden(true);
}

}  // namespace kestrel
