#pragma once

#include "core/platform/CameraPicker.h"

#include <functional>

namespace kestrel {

// The simulated camera until a real one is plugged in, the real one from
// then on. The switch carries the chosen device, the flash mode and the
// preview's zoom and shift over, so the live view goes on as it was; after
// it, a camera that is unplugged again is the real camera's own matter (the
// screen says there is none) rather than a silent return to the simulation.
//
// Made `waiting`, it waits for the real camera first (its source being
// chosen, or started, in the background): the screen says the camera is
// starting, and shows neither camera's picture, until endWait().
class FallbackCameraPicker final : public CameraPicker {
public:
    FallbackCameraPicker(CameraPicker& real, CameraPicker& simulated, bool waiting = false);

    // Looks at the real camera again; true when this call switched to it.
    bool update();
    bool usesRealCamera() const { return !waiting_ && current_ == real_; }
    // The wait is over: the real camera serves if it runs, else the simulated one.
    void endWait();
    bool isWaiting() const { return waiting_; }

    bool isSourceAvailable() const override { return !waiting_ && current_->isSourceAvailable(); }
    bool isStarting() const override { return waiting_ || current_->isStarting(); }
    bool isCameraDeviceAvailable(Device device) const override {
        return current_->isCameraDeviceAvailable(device);
    }
    bool isFlashAvailable(Device device) const override {
        return current_->isFlashAvailable(device);
    }
    Device cameraDevice() const override { return current_->cameraDevice(); }
    void setCameraDevice(Device device) override { current_->setCameraDevice(device); }
    FlashMode flashMode() const override { return current_->flashMode(); }
    void setFlashMode(FlashMode mode) override { current_->setFlashMode(mode); }

    void takePicture(PictureHandler handler) override { current_->takePicture(std::move(handler)); }
    // Kept by the camera in use, and handed over when another takes its place.
    void keepRecentFrames(std::optional<FrameRing::Budget> budget, bool sharpness) override;
    bool keepsRecentFrames() const override { return current_->keepsRecentFrames(); }
    void takeStill(const StillChoice& choice, StillHandler handler) override {
        current_->takeStill(choice, std::move(handler));
    }
    Image previewFrame() const override { return current_->previewFrame(); }
    // The camera in use tells; the switch hands the observer over.
    void setFrameObserver(std::function<void()> observer) override;
    Size previewShape() const override { return current_->previewShape(); }
    void setPreviewScale(double scale) override { current_->setPreviewScale(scale); }
    double previewScale() const override { return current_->previewScale(); }
    void setPreviewTranslation(Point offset) override { current_->setPreviewTranslation(offset); }
    Point previewTranslation() const override { return current_->previewTranslation(); }
    void setPreviewPixels(int width, int height) override {
        current_->setPreviewPixels(width, height);
    }
    int mountRotation() const override { return current_->mountRotation(); }
    bool facesUser() const override { return current_->facesUser(); }
    void setPreviewOrientation(int screenTurn, bool mirrored) override {
        current_->setPreviewOrientation(screenTurn, mirrored);
    }

private:
    CameraPicker* real_;
    CameraPicker* simulated_;
    CameraPicker* current_;
    bool waiting_;
    std::function<void()> frameObserver_;
    std::optional<FrameRing::Budget> ringBudget_;
    bool ringSharpness_ = false;
    // The observer and the kept frames move from one camera to the other.
    void handOver(CameraPicker& from, CameraPicker& to);
};

}  // namespace kestrel
