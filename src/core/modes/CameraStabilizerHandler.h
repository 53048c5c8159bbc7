#pragma once

#include "core/modes/CameraHandler.h"

namespace kestrel {

// Mode 0: shoots when the device has been steady for the last 30 samples.
// With auto shutter it starts by itself (after the shutter delay the first
// time) and re-arms after every picture. With a maximum wait it takes the
// picture anyway once it has sensed that long without a steady moment.
class CameraStabilizerHandler : public CameraSensingHandler {
public:
    // Steadiness threshold in g for the stored level: 2 → 0.085, 3 → 0.058, else 0.07.
    float sensitivity() const;
    bool senseReady(float& level) override;
    int getTimerDelay() const override;
    void ready() override;
    void photo() override;
    void endDelay() override;
    void startSensing() override;
    void stopSensing() override;
    // How long it waited for stillness, or that the maximum wait ran out.
    std::string reason() const override;
    std::optional<std::string> getModeImage() const override { return "Mode_Stable_on.png"; }

private:
    // Notes, for the reason, how long sensing waited and whether it gave up.
    bool fired(int gaveUpAfter);

    RunLoop::Duration sensingSince_{};
    RunLoop::Duration waited_{};
    int gaveUpAfter_ = 0;  // seconds of the maximum wait that ran out; 0: steady
};

// Mode 3: shoots as soon as the device moves more than a threshold within
// the last 10 samples.
class CameraTossHandler : public CameraSensingHandler {
public:
    // Movement threshold in g for the stored level: 2 → 1.0, 3 → 0.25, else 0.5.
    float sensitivity() const;
    bool senseReady(float& level) override;
    void startSensing() override;
    void stopSensing() override;
    // The jolt (the largest range of an axis) and the threshold.
    std::string reason() const override;
    std::optional<std::string> getModeImage() const override { return "Mode_Toss_on.png"; }

private:
    float jolt_ = 0;
    float threshold_ = 0;
};

}  // namespace kestrel
