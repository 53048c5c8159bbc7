#include "core/app/KeyCommands.h"

#include "core/app/KestrelApp.h"

namespace kestrel {

bool KeyCommands::cameraShown() const {
    return &app_->topController() == &app_->root().cameraScreen();
}

bool KeyCommands::reviewing() const {
    CameraControllerHelper& camera = app_->camera();
    return cameraShown() && camera.image() && !camera.isSaving();
}

bool KeyCommands::back() {
    auto* navigation = dynamic_cast<NavigationController*>(&app_->topController());
    if (!navigation) return false;
    if (navigation->depth() > 1) {
        navigation->popViewController(true);
        return true;
    }
    const auto& right = navigation->topViewController().rightBarButton();
    return right && right->press();
}

bool KeyCommands::press(Key key) {
    CameraToolbar& bar = *app_->cameraViews().toolBar;
    if (key == Key::kHelp) {
        keyListShown_ = !keyListShown_;
        return true;
    }
    if (key == Key::kEscape && keyListShown_) {
        keyListShown_ = false;
        return true;
    }
    // The camera's keys work only on the camera screen, as its buttons do.
    if (key != Key::kEscape && key != Key::kM && !cameraShown()) return false;
    switch (key) {
        case Key::kSpace:
        case Key::kVolumeUp:
        case Key::kVolumeDown:
        case Key::kCamera:
            return bar.shutterButton().press();
        case Key::kReturn:
            return reviewing() ? bar.useButton().press() : bar.shutterButton().press();
        case Key::kBackspace:
            return reviewing() && bar.retakeButton().press();
        case Key::kA:
            return bar.albumButton().press();
        case Key::kS:
            return bar.settingsButton().press();
        case Key::kM:
            app_->nextMode();
            return true;
        case Key::kEscape:
            return back();
        case Key::kHelp:
            break;
    }
    return false;
}

}  // namespace kestrel
