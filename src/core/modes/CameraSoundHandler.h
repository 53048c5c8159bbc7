#pragma once

#include "core/modes/CameraHandler.h"
#include "core/sensors/AudioDetection.h"

#include <memory>

namespace kestrel {

// Mode 5: a press switches the microphone on and listens; the picture is
// taken as soon as the loudest audio cycle since the last poll reaches the
// threshold. The microphone runs exactly while the handler is sensing.
//
// The thresholds (cycle RMS about the cycle's mean) lie between a quiet room
// (up to about -55 dBFS, whatever the converter's DC offset) and a hand clap
// at arm's length (its loudest cycle around -20 dBFS), so that every choice
// hears every clap and none fires on the room; bench/audio-question.sh
// measures them.
class CameraSoundHandler : public CameraSensingHandler {
public:
    ~CameraSoundHandler() override;

    // The stored level's threshold: 2 (the screen's first choice, least
    // sensitive) -30 dBFS, 1036 units; 3 (the last, most sensitive) -46 dBFS,
    // 164 units; any other (the middle) -38 dBFS, 413 units.
    static constexpr float kLowDbfs = -30.0f;
    static constexpr float kMediumDbfs = -38.0f;
    static constexpr float kHighDbfs = -46.0f;
    static float thresholdDbfs(int storedLevel);
    // The threshold in 16-bit sample units (cycle RMS).
    float sensitivity() const;
    bool senseReady(float& level) override;
    void startSensing() override;
    void stopSensing() override;
    // The level that fired and the threshold, in dBFS.
    std::string reason() const override;
    std::optional<std::string> getModeImage() const override { return "Mode_Sound_on.png"; }

    AudioDetection* detector() const { return detector_.get(); }

private:
    std::unique_ptr<AudioDetection> detector_;
    float heard_ = 0;      // the level that fired, in 16-bit units
    float threshold_ = 0;  // the threshold it reached
};

}  // namespace kestrel
