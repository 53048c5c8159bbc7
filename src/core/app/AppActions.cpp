#include "core/app/AppActions.h"

#include "core/app/KestrelApp.h"
#include "core/modes/CameraHandler.h"
#include "core/modes/ModeOffer.h"
#include "core/platform/Log.h"

namespace kestrel {

bool AppActions::cameraShown() const {
    return &app_->topController() == &app_->root().cameraScreen() && !app_->camera().isHidden();
}

AppActions::Outcome AppActions::notOnCamera(const char* action) const {
    std::string why = app_->albumShown() ? "the album is open" : "the settings are open";
    Log::info(std::string(action) + " ignored: " + why);
    return Outcome{false, why};
}

AppActions::Outcome AppActions::takePicture() {
    if (!cameraShown()) return notOnCamera("take-picture");
    ImageButton& shutter = app_->cameraViews().toolBar->shutterButton();
    if (!shutter.press()) {
        const std::string why = shutter.enabled() ? "the shutter is not available now"
                                                  : "the shutter is disabled (no camera, or saving)";
        Log::info("take-picture ignored: " + why);
        return Outcome{false, why};
    }
    return Outcome{true, {}};
}

AppActions::Outcome AppActions::cancel() {
    CameraControllerHelper& camera = app_->camera();
    CameraHandler* handler = camera.handler();
    if (!handler) return Outcome{true, {}};
    if (handler->state() == CameraHandler::kDelay || handler->state() == CameraHandler::kSensing) {
        // As a press stops it, and no automatic restart after.
        handler->setAutoStart(false);
        handler->shutter();
        return Outcome{true, {}};
    }
    switch (handler->heldWork()) {
    case CameraHandler::HeldWork::kSeries:
        handler->setAutoStart(false);
        // A new handler for the same mode drops the frames and the counter;
        // a frame still coming lands in it as a lone intermediate one.
        if (!camera.isCapturing()) camera.reset();
        Log::info("rapid-fire series cancelled");
        break;
    case CameraHandler::HeldWork::kFirstExposure:
        camera.cancel();
        break;
    case CameraHandler::HeldWork::kNone:
        break;
    }
    return Outcome{true, {}};
}

AppActions::Outcome AppActions::setMode(int mode) {
    if (!ModeOffer::offered(mode)) {
        const std::string why = "no shooting mode " + std::to_string(mode) +
                                (mode == Camera1Data::kFaces ? ": " + ModeOffer::facesMissingReason() : "");
        Log::warning("set-mode: " + why);
        return Outcome{false, why};
    }
    if (!cameraShown()) return notOnCamera("set-mode");
    app_->settings().record().setMode(mode);
    app_->camera().reset();
    app_->camera().showModeIndicator();
    return Outcome{true, {}};
}

AppActions::Outcome AppActions::album() {
    if (app_->albumShown()) return Outcome{true, {}};
    if (!cameraShown()) return notOnCamera("album");
    if (!app_->cameraViews().toolBar->albumButton().press()) {
        Log::info("album ignored: its button is not available now");
        return Outcome{false, "the album button is not available now"};
    }
    return Outcome{true, {}};
}

}  // namespace kestrel
