#include "core/camera/CameraViewManager.h"

namespace kestrel {

CameraViewManager::CameraViewManager()
    : overlay(std::make_shared<CameraOverlayView>()),
      toolBar(std::make_shared<CameraToolbar>()),
      sensorView(std::make_shared<CameraHoverView>()),
      zoomView(std::make_shared<CameraZoomView>()),
      timerLabel(std::make_shared<Label>(Rect{60, 150, 200, 100})),
      modeImage(std::make_shared<ImageView>(Rect{135, 180, 50, 50})),
      saveLabel(std::make_shared<Label>(Rect{20, 385, 280, 30})),
      saveImageView(std::make_shared<ImageView>(Rect{0, 0, 320, 427})) {
    timerLabel->setAlignment(Label::Alignment::kCenter);
    timerLabel->setTextColor(Color{1, 1, 1, 1});
    timerLabel->setHidden(true);
    saveLabel->setAlignment(Label::Alignment::kCenter);
    saveLabel->setTextColor(Color{1, 1, 1, 1});
    saveLabel->setHidden(true);
    saveImageView->setHidden(true);
}

void CameraViewManager::layOut(const ScreenLayout& layout) {
    overlay->setFrame(layout.pictureArea());
    saveImageView->setFrame(layout.pictureArea());
    toolBar->layOut(layout);
    sensorView->setFrame(layout.sensorPanel());
    zoomView->setFrame(layout.zoomReadout());
    timerLabel->setFrame(layout.timerLabel());
    modeImage->setFrame(layout.modeIcon());
    saveLabel->setFrame(layout.saveLabel());
}

}  // namespace kestrel
