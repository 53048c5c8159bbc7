#include "core/camera/CameraZoomView.h"

#include <cstdio>

namespace kestrel {

CameraZoomView::CameraZoomView()
    : View(Rect{110, 330, 100, 44}),
      label_(std::make_shared<Label>(Rect{0, 0, 100, 24})),
      indicator_(std::make_shared<IndicatorView>(Rect{0, 28, 100, 12})) {
    label_->setAlignment(Label::Alignment::kCenter);
    label_->setFont(Font{17, true});
    label_->setTextColor(Color{0, 1, 0, 1});
    addSubview(label_);
    addSubview(indicator_);
    setHidden(true);
}

void CameraZoomView::setZoom(float factor) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1fX", static_cast<double>(factor));
    label_->setText(text);
    indicator_->setLevel(static_cast<float>((static_cast<double>(factor) - 1.0) / 3.0));
    indicator_->setNeedsDisplay();
}

}  // namespace kestrel
