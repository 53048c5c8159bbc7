#include "core/modes/CameraStabilizerHandler.h"

#include "core/sensors/DevicePosition.h"
#include "core/settings/Camera1Data.h"

#include <algorithm>  // the toss's jolt
#include <cstdio>
#include <string>

namespace kestrel {
namespace {

const Camera1StablizingData* stabilizerSettings() {
    const Camera1Data* settings = Camera1Data::data();
    return settings ? &settings->stablizer() : nullptr;
}

}  // namespace

float CameraStabilizerHandler::sensitivity() const {
    const auto* s = stabilizerSettings();
    const int level = s ? s->sensitivity() : 0;
    return level == 2 ? 0.085f : level == 3 ? 0.058f : 0.07f;
}

bool CameraStabilizerHandler::senseReady(float& level) {
    const DevicePosition* position = DevicePosition::device();
    float mean = 10.0f;
    const bool steady = position && position->stable(sensitivity(), mean);
    level = 2 * mean;
    if (steady) return fired(0);
    // Never a still moment within the maximum wait: the picture anyway.
    const auto* s = stabilizerSettings();
    const int maxWait = s ? s->maxWait() : 0;
    if (maxWait > 0 && controller() &&
        controller()->runLoop().now() - sensingSince_ >=
            RunLoop::seconds(static_cast<double>(maxWait))) {
        trace("not steady within " + std::to_string(maxWait) + " s: picture anyway");
        return fired(maxWait);
    }
    return false;
}

bool CameraStabilizerHandler::fired(int gaveUpAfter) {
    waited_ = controller() ? controller()->runLoop().now() - sensingSince_ : RunLoop::Duration{};
    gaveUpAfter_ = gaveUpAfter;
    return true;
}

std::string CameraStabilizerHandler::reason() const {
    if (gaveUpAfter_ > 0) return "not steady within " + std::to_string(gaveUpAfter_) + " s";
    char text[32];
    std::snprintf(text, sizeof text, "steady %.1f s", RunLoop::toSeconds(waited_));
    return text;
}

int CameraStabilizerHandler::getTimerDelay() const {
    const auto* s = stabilizerSettings();
    return s ? s->shutterDelay() : 10;
}

void CameraStabilizerHandler::ready() {
    const auto* s = stabilizerSettings();
    if (autoStart()) {
        startSensing();
    } else if (!s || !s->autoShutter()) {
        return;  // the user starts it
    } else if (s->shutterDelay() != 0) {
        startDelay();
    } else {
        startSensing();
    }
}

void CameraStabilizerHandler::photo() {
    const auto* s = stabilizerSettings();
    if (s && s->autoShutter()) setAutoStart(true);
    CameraHandler::photo();
}

void CameraStabilizerHandler::endDelay() {
    stopDelay();
    startSensing();  // the count-down leads into the sensor loop
}

void CameraStabilizerHandler::startSensing() {
    if (state() != kSensing && controller()) sensingSince_ = controller()->runLoop().now();
    CameraSensingHandler::startSensing();
    setStatusImage("Status_Shaking.png");
}

void CameraStabilizerHandler::stopSensing() {
    CameraSensingHandler::stopSensing();
    setStatusImage("");
}

float CameraTossHandler::sensitivity() const {
    const Camera1Data* settings = Camera1Data::data();
    const int level = settings ? settings->toss().sensitivity() : 0;
    return level == 2 ? 1.0f : level == 3 ? 0.25f : 0.5f;
}

bool CameraTossHandler::senseReady(float& level) {
    const DevicePosition* position = DevicePosition::device();
    float mean = 0;
    const float threshold = sensitivity();
    const bool moved = position && position->shaking(threshold, mean);
    level = mean / threshold;
    float x = 0, y = 0, z = 0;
    if (moved && position->ranges(x, y, z, 10)) {
        jolt_ = std::max({x, y, z});
        threshold_ = threshold;
    }
    return moved;
}

std::string CameraTossHandler::reason() const {
    char text[48];
    std::snprintf(text, sizeof text, "jolt %.2f g over %g g", static_cast<double>(jolt_),
                  static_cast<double>(threshold_));
    return text;
}

void CameraTossHandler::startSensing() {
    CameraSensingHandler::startSensing();
    setStatusImage("Status_Shaking.png");
}

void CameraTossHandler::stopSensing() {
    CameraSensingHandler::stopSensing();
    setStatusImage("");
}

}  // namespace kestrel
