#pragma once

#include "core/camera/CameraHoverView.h"
#include "core/camera/CameraOverlayView.h"
#include "core/camera/CameraToolbar.h"
#include "core/camera/CameraZoomView.h"
#include "core/ui/ImageView.h"
#include "core/ui/Label.h"
#include "core/ui/ScreenLayout.h"

#include <memory>

namespace kestrel {

// The eight views over the live picture, addressed by name by the camera
// controller and the mode handlers.
struct CameraViewManager {
    CameraViewManager();
    // Puts every view where `layout` says it starts (the turns with the
    // device are the camera controller's).
    void layOut(const ScreenLayout& layout);

    std::shared_ptr<CameraOverlayView> overlay;
    std::shared_ptr<CameraToolbar> toolBar;
    std::shared_ptr<CameraHoverView> sensorView;
    std::shared_ptr<CameraZoomView> zoomView;
    std::shared_ptr<Label> timerLabel;
    std::shared_ptr<ImageView> modeImage;
    std::shared_ptr<Label> saveLabel;
    std::shared_ptr<ImageView> saveImageView;
};

}  // namespace kestrel
