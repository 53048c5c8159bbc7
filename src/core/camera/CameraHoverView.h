#pragma once

#include "core/ui/HoverView.h"
#include "core/ui/ImageView.h"
#include "core/ui/IndicatorView.h"

#include <memory>

namespace kestrel {

// The sensing panel: a translucent rounded panel with the mode's status
// picture and the ten-segment level bar.
class CameraHoverView : public HoverView {
public:
    CameraHoverView();
    ImageView& imageView() { return *imageView_; }
    IndicatorView& indicatorView() { return *indicatorView_; }

private:
    std::shared_ptr<ImageView> imageView_;
    std::shared_ptr<IndicatorView> indicatorView_;
};

}  // namespace kestrel
