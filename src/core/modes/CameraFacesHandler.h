#pragma once

#include "core/modes/CameraHandler.h"
#include "core/sensors/FaceWatch.h"

#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// Mode 11: a press starts the count-down (the mode's delay; none at 0 s),
// then a watch of the live view four times a second; the picture is taken
// when the wanted number of faces (1, 2, 3, or all those found) smile, or
// look at the camera, in several results in a row. The photo is the frame
// they were seen in. With repeat, the watch starts again after each photo
// until the shutter is pressed. The sensing panel tells the faces found and
// how many of them do what is asked. A finder that fails for good ends the
// watch, and the mode is unavailable from then on.
class CameraFacesHandler : public CameraSensingHandler {
public:
    static constexpr double kPollsPerSecond = 4.0;
    static constexpr int kPauseTicks = 40;  // 2 s between the photos of a repeat

    // Results in a row for the stored sensitivity: 2 (low) → 5, 3 (high) → 2, else 3.
    static int agreement(int storedSensitivity);
    // The stored settings as a rule for the watch.
    static FaceWatch::Rule rule();
    // "2 faces · 1 smiling"
    static std::string countText(const FaceWatch::Count& count, bool smile);

    ~CameraFacesHandler() override;
    std::optional<std::string> unavailableReason() const override;
    bool shutter() override;
    int getTimerDelay() const override;
    void delaying() override;
    void endDelay() override;
    double getSensingInterval() const override { return kPollsPerSecond; }
    bool senseReady(float& level) override;
    void startSensing() override;
    void stopSensing() override;
    void photo() override;
    // "faces 3 of 3 smiling", "faces 1 of 2 looking"
    std::string reason() const override;
    std::optional<std::string> getModeImage() const override { return "Mode_Faces_on.png"; }

    bool workingOffLoop() const override { return watch_ && watch_->busy(); }
    const FaceWatch* watch() const { return watch_.get(); }

private:
    void showCount(const FaceWatch::Count& count);

    std::unique_ptr<FaceWatch> watch_;
    FaceWatch::Count fired_;  // the result that took the picture
    bool firedSmile_ = true;
    long shownResults_ = -1;  // the results the panel's count is of
};

}  // namespace kestrel
