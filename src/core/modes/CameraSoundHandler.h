#pragma once

#include "core/modes/CameraHandler.h"
#include "core/sensors/AudioDetection.h"

#include <memory>

namespace kestrel {

// Mode 5: a press switches the microphone on and listens; the picture is
// taken as soon as the audio level reaches the threshold. The microphone
// runs exactly while the handler is sensing.
class CameraSoundHandler : public CameraSensingHandler {
public:
    ~CameraSoundHandler() override;

    // Threshold in 16-bit sample units for the stored level: 2 → 64, 3 → 24, else 32.
    float sensitivity() const;
    bool senseReady(float& level) override;
    void startSensing() override;
    void stopSensing() override;
    std::optional<std::string> getModeImage() const override { return "Mode_Sound_on.png"; }

    AudioDetection* detector() const { return detector_.get(); }

private:
    std::unique_ptr<AudioDetection> detector_;
};

}  // namespace kestrel
