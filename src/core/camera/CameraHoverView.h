#pragma once

#include "core/ui/HoverView.h"
#include "core/ui/ImageView.h"
#include "core/ui/IndicatorView.h"
#include "core/ui/Label.h"

#include <memory>

namespace kestrel {

// The sensing panel: a translucent rounded panel with the mode's status
// picture, a line of text the mode may fill (the faces found) and the
// ten-segment level bar.
class CameraHoverView : public HoverView {
public:
    CameraHoverView();
    ImageView& imageView() { return *imageView_; }
    IndicatorView& indicatorView() { return *indicatorView_; }
    Label& textLabel() { return *textLabel_; }

private:
    std::shared_ptr<ImageView> imageView_;
    std::shared_ptr<IndicatorView> indicatorView_;
    std::shared_ptr<Label> textLabel_;
};

}  // namespace kestrel
