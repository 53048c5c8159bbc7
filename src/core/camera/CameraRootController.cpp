#include "core/camera/CameraRootController.h"

namespace kestrel {

CameraRootController::CameraRootController(CameraControllerHelper& cameraHelper,
                                           std::shared_ptr<NavigationController> settingsScreens,
                                           const SystemUtils& system, RunLoop& loop)
    : cameraHelper_(&cameraHelper), settingsController_(std::move(settingsScreens)),
      cameraScreen_(std::make_shared<ViewController>(std::shared_ptr<View>(&cameraHelper.container(), [](View*) {}))),
      system_(&system), hideSettingsTimer_(loop) {
    cameraHelper.setSettingsAction([this] { settings(); });
}

void CameraRootController::viewWillAppear(bool) {
    if (modern()) rootImage_ = "Screen4.png";
}

void CameraRootController::viewDidAppear(bool) {
    if (mAction_ == kShowCamera) {
        cameraHelper_->reset();
        cameraHelper_->showCamera();
        presentModalViewController(cameraScreen_, false);
    } else if (mAction_ == kShowSettings) {
        presentModalViewController(settingsController_, true);
    }
}

void CameraRootController::settings() {
    if (!modern()) {
        cameraHelper_->cameraWillHide();
        cameraScreen_->presentModalViewController(settingsController_, true);
        return;
    }
    hideCamera();
}

void CameraRootController::hideCamera() {
    cameraHelper_->cameraWillHide();
    mAction_ = kShowSettings;
    dismissModalViewController(false);  // the settings follow from viewDidAppear
}

void CameraRootController::doneSettings() {
    if (!modern()) {
        cameraHelper_->reset();
        cameraScreen_->dismissModalViewController(true);
        cameraHelper_->cameraDidShow();
        return;
    }
    hideSettingsTimer_.start(RunLoop::seconds(0.1), [this] { hideSettings(); });
}

void CameraRootController::hideSettings() {
    mAction_ = kShowCamera;
    dismissModalViewController(true);  // the camera comes back from viewDidAppear
}

void CameraRootController::showSettings() { presentModalViewController(settingsController_, true); }

void CameraRootController::camera() { cameraHelper_->showCamera(); }

}  // namespace kestrel
