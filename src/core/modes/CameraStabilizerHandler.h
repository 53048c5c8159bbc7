#pragma once

#include "core/modes/CameraHandler.h"
#include "core/sensors/PictureSteadiness.h"

#include <optional>
#include <string>

namespace kestrel {

// Mode 0: shoots when the device has been steady for the last 30 samples.
// With auto shutter it starts by itself (after the shutter delay the first
// time) and re-arms after every picture. With a maximum wait it takes the
// picture anyway once it has sensed that long without a steady moment.
// A device without an accelerometer is held still when its live view is:
// the picture changes by less than a share of the view for a second.
class CameraStabilizerHandler : public CameraSensingHandler {
public:
    // Picture polls a second: a camera's frames come 25 to 30 a second, so
    // consecutive snapshots are some frames apart and a hand's drift adds up
    // between them.
    static constexpr double kPicturePolls = 10.0;
    // The picture's thresholds (a share of the view) for the first, middle
    // and last choice of the sensitivity. Between two polls, still scenes
    // and a camera's sensor noise change less than 0.15 % of the view (a
    // clock's digits, the odd noisy pixel), a small ball crossing it 0.25 to
    // 0.8 %, a hand drifting a pixel a frame 1.5 % and more; very heavy noise
    // (±25 levels on every pixel) 0.3 to 0.5 %, still under the first choice.
    static constexpr float kPictureThresholds[3] = {0.006f, 0.004f, 0.0025f};
    // The level bar's reading of a change: the middle threshold shows where
    // the accelerometer's middle one does (twice 0.07 g).
    static constexpr float kLevelPerChange = 2 * 0.07f / kPictureThresholds[1];

    // What decided a picture, for its caption.
    struct Decision {
        RunLoop::Duration waited{};  // from the start of sensing to the decision
        bool onPicture = false;      // told by the live view (no accelerometer)
        // On the picture: the largest change of the still second, a share of
        // the view (below pictureSensitivity()).
        float pictureChange = 0;
        bool maxWaitReached = false;  // never still: the picture anyway
    };

    // Steadiness threshold in g for the stored level: 2 → 0.085, 3 → 0.058, else 0.07.
    float sensitivity() const;
    // Without an accelerometer: the share of the view that may change between
    // snapshots for the picture to count as still, for the stored level:
    // 2 → 0.006, 3 → 0.0025, else 0.004.
    float pictureSensitivity() const;
    bool senseReady(float& level) override;
    double getSensingInterval() const override;
    int getTimerDelay() const override;
    void ready() override;
    void photo() override;
    void endDelay() override;
    void startSensing() override;
    void stopSensing() override;
    // How long it waited for stillness, or that the maximum wait ran out.
    std::string reason() const override;
    std::optional<std::string> getModeImage() const override { return "Mode_Stable_on.png"; }

    // Whether stillness is told by the live view: there is no accelerometer.
    bool measuresPicture() const;
    // What decided the last picture of this handler; none before one.
    const std::optional<Decision>& decision() const { return decision_; }

private:
    bool steadyDevice(float& level) const;
    bool stillPicture(float& level);
    bool maxWaitReached() const;
    RunLoop::Duration sensedFor() const;

    RunLoop::Duration sensingSince_{};
    PictureSteadiness picture_;
    std::optional<Decision> decision_;
};

// Mode 3: shoots as soon as the device moves more than a threshold within
// the last 10 samples. Without an accelerometer it cannot: a press says so
// and senses nothing.
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
    std::optional<std::string> unavailableReason() const override;

private:
    float jolt_ = 0;
    float threshold_ = 0;
};

}  // namespace kestrel
