#pragma once

#include "core/modes/CameraHandler.h"
#include "core/sensors/MotionDetector.h"

#include <memory>

namespace kestrel {

// Mode 4: a press starts a count-down, then a watch of the live view four
// times a second (the camera's whole picture, wherever the window's shape
// puts it); each detection takes a picture and, after a silent pause
// of 4 s, watches again, until the user presses the shutter.
class CameraMotionHandler : public CameraSensingHandler {
public:
    static constexpr int kPauseTicks = 80;

    // Fraction of changed pixels for the stored level: 2 → 0.05, 3 → 0.01, else 0.02.
    float sensitivity() const;
    double getSensingInterval() const override { return 4.0; }
    bool showSensingIndicator() const override { return false; }
    bool senseReady(float& level) override;
    bool shutter() override;
    void delaying() override;
    void endDelay() override;
    void startSensing() override;
    void photo() override;
    // The share of the watched view that changed.
    std::string reason() const override;
    std::optional<std::string> getModeImage() const override { return "Mode_Motion_on.png"; }

    const MotionDetector* motionDetector() const { return motionDetector_.get(); }

private:
    std::unique_ptr<MotionDetector> motionDetector_;
    float moved_ = 0;  // the changed fraction that fired
};

}  // namespace kestrel
