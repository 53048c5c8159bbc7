#include "core/modes/CameraMotionHandler.h"

#include "core/settings/Camera1Data.h"

#include <cstdio>

namespace kestrel {

float CameraMotionHandler::sensitivity() const {
    const Camera1Data* settings = Camera1Data::data();
    const int level = settings ? settings->motion().sensitivity() : 0;
    return level == 2 ? 0.05f : level == 3 ? 0.01f : 0.02f;
}

bool CameraMotionHandler::senseReady(float& level) {
    level = 0;
    if (!motionDetector_) motionDetector_ = std::make_unique<MotionDetector>();
    if (!controller()) return false;
    const Camera1Data* settings = Camera1Data::data();
    motionDetector_->setIgnoreLight(settings && settings->motion().ignoreLight());
    float movement = sensitivity();
    const Image view = controller()->cameraScreenshot(controller()->livePictureRect());
    const bool moved = motionDetector_->motion(view, movement);
    if (moved) {
        moved_ = movement;
        char text[48];
        std::snprintf(text, sizeof text, "motion %.4f", static_cast<double>(movement));
        trace(text);
    }
    return moved;
}

bool CameraMotionHandler::shutter() {
    if (state() == kIdle) {
        startDelay();
        return true;
    }
    return CameraHandler::shutter();
}

void CameraMotionHandler::delaying() {
    if (!autoStart()) {
        CameraHandler::delaying();
        return;
    }
    // The pause between pictures: no number, no beep.
    if (delayCount() > kPauseTicks - 1) endDelay();
}

void CameraMotionHandler::endDelay() {
    stopDelay();
    startSensing();
}

void CameraMotionHandler::startSensing() {
    if (motionDetector_) motionDetector_->reset();
    CameraSensingHandler::startSensing();
}

std::string CameraMotionHandler::reason() const {
    char text[48];
    std::snprintf(text, sizeof text, "motion %.1f %% of the view", static_cast<double>(moved_) * 100);
    return text;
}

void CameraMotionHandler::photo() {
    if (motionDetector_) motionDetector_->reset();
    setAutoStart(true);
    CameraHandler::photo();
}

}  // namespace kestrel
