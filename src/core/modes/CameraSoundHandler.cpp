#include "core/modes/CameraSoundHandler.h"

#include "core/platform/Log.h"
#include "core/settings/Camera1Data.h"

#include <cstdio>

namespace kestrel {

CameraSoundHandler::~CameraSoundHandler() {
    if (detector_) detector_->stopUnit();
    detector_.reset();
}

float CameraSoundHandler::sensitivity() const {
    const Camera1Data* settings = Camera1Data::data();
    const int level = settings ? settings->sound().sensitivity() : 0;
    return AudioDetection::fromDbfs(thresholdDbfs(level));
}

float CameraSoundHandler::thresholdDbfs(int storedLevel) {
    return storedLevel == 2 ? kLowDbfs : storedLevel == 3 ? kHighDbfs : kMediumDbfs;
}

bool CameraSoundHandler::senseReady(float& level) {
    const float threshold = sensitivity();
    // The loudest cycle since the last poll, read once: a clap between two
    // polls is seen, and seen by one poll only.
    const auto loudest = detector_ ? detector_->loudestTime() : std::nullopt;
    const float value = detector_ ? detector_->takeLevel() : 0.0f;
    level = value / threshold;
    if (threshold > value) return false;
    heard_ = value;
    threshold_ = threshold;
    // The picture is of the clap itself, not of this poll.
    if (loudest) setEventTime(*loudest);
    return true;
}

std::string CameraSoundHandler::reason() const {
    char text[64];
    std::snprintf(text, sizeof text, "sound %.1f dBFS over %.0f dBFS",
                  static_cast<double>(AudioDetection::toDbfs(heard_)),
                  static_cast<double>(AudioDetection::toDbfs(threshold_)));
    return text;
}

void CameraSoundHandler::startSensing() {
    if (state() == kSensing) return;
    CameraSensingHandler::startSensing();
    setStatusImage("Status_Sound.png");
    if (!detector_) {
        AudioSystem* audio = controller() ? controller()->audioSystem() : nullptr;
        if (!audio) {
            Log::warning("sound mode: no audio input; the level stays at 0");
            return;
        }
        detector_ = std::make_unique<AudioDetection>(*audio);
    }
    // A microphone that cannot start leaves the level at 0 until the next press.
    if (!detector_->startUnit()) Log::warning("sound mode: the microphone did not start");
}

void CameraSoundHandler::stopSensing() {
    if (detector_) {
        detector_->stopUnit();
        detector_->setLevel(0);
    }
    CameraSensingHandler::stopSensing();
    setStatusImage("");
}

}  // namespace kestrel
