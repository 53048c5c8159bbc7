#include "devices/FallbackCameraPicker.h"

#include "core/platform/Log.h"

namespace kestrel {

FallbackCameraPicker::FallbackCameraPicker(CameraPicker& real, CameraPicker& simulated,
                                           bool waiting)
    : real_(&real),
      simulated_(&simulated),
      current_(waiting ? &real : &simulated),
      waiting_(waiting) {
    if (!waiting_) update();
}

void FallbackCameraPicker::endWait() {
    if (!waiting_) return;
    waiting_ = false;
    if (real_->isSourceAvailable()) return;  // the real camera runs: it stays
    handOver(*real_, *simulated_);
    Log::info("camera: no camera runs; the simulated camera serves until one is plugged in");
}

bool FallbackCameraPicker::update() {
    if (waiting_ || usesRealCamera() || !real_->isSourceAvailable()) return false;
    CameraPicker& simulated = *simulated_;
    // The device first: choosing it may open another camera, which takes the flash mode.
    if (real_->isCameraDeviceAvailable(simulated.cameraDevice()))
        real_->setCameraDevice(simulated.cameraDevice());
    real_->setFlashMode(simulated.flashMode());
    real_->setPreviewScale(simulated.previewScale());
    real_->setPreviewTranslation(simulated.previewTranslation());
    handOver(simulated, *real_);
    Log::info("camera: a camera was plugged in; the simulated camera is no longer used");
    return true;
}

void FallbackCameraPicker::handOver(CameraPicker& from, CameraPicker& to) {
    from.setFrameObserver(nullptr);
    if (ringBudget_) from.keepRecentFrames(std::nullopt, false);
    current_ = &to;
    to.setFrameObserver(frameObserver_);
    if (ringBudget_) to.keepRecentFrames(ringBudget_, ringSharpness_);
}

void FallbackCameraPicker::keepRecentFrames(std::optional<FrameRing::Budget> budget, bool sharpness) {
    ringBudget_ = budget;
    ringSharpness_ = sharpness;
    current_->keepRecentFrames(budget, sharpness);
}

void FallbackCameraPicker::setFrameObserver(std::function<void()> observer) {
    frameObserver_ = std::move(observer);
    current_->setFrameObserver(frameObserver_);
}

}  // namespace kestrel
