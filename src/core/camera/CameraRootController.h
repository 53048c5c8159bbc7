#pragma once

#include "core/camera/CameraControllerHelper.h"
#include "core/platform/SystemUtils.h"
#include "core/platform/Timer.h"
#include "core/ui/ViewController.h"

#include <memory>

namespace kestrel {

// The one full-screen controller: alternates between the camera screen and
// the settings screens by modal presentation. From system version 4.0 on the
// camera is dismissed first and a new one presented when the settings close;
// before, the settings are presented on top of the running camera. Main thread.
class CameraRootController : public ViewController {
public:
    enum Action : int { kShowCamera = 0, kShowSettings = 1 };

    CameraRootController(CameraControllerHelper& cameraHelper, std::shared_ptr<NavigationController> settingsScreens,
                         const SystemUtils& system, RunLoop& loop);

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;

    void settings();
    void hideCamera();
    void doneSettings();
    void hideSettings();
    void showSettings();
    void camera();

    int mAction() const { return mAction_; }
    void setMAction(int action) { mAction_ = action; }
    ViewController& cameraScreen() { return *cameraScreen_; }
    NavigationController& settingsController() { return *settingsController_; }
    // The root view's image ("Screen4.png" from 4.0 on), shown between screens.
    const std::string& rootImage() const { return rootImage_; }

private:
    bool modern() const { return system_->versionNumber() >= 400; }

    CameraControllerHelper* cameraHelper_;
    std::shared_ptr<NavigationController> settingsController_;
    std::shared_ptr<ViewController> cameraScreen_;
    const SystemUtils* system_;
    Timer hideSettingsTimer_;
    int mAction_ = kShowCamera;
    std::string rootImage_;
};

}  // namespace kestrel
