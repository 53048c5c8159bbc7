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

float CameraStabilizerHandler::pictureSensitivity() const {
    const auto* s = stabilizerSettings();
    const int level = s ? s->sensitivity() : 0;
    return level == 2   ? kPictureThresholds[0]
           : level == 3 ? kPictureThresholds[2]
                        : kPictureThresholds[1];
}

bool CameraStabilizerHandler::measuresPicture() const {
    return controller() && !controller()->hasAccelerometer();
}

double CameraStabilizerHandler::getSensingInterval() const {
    return measuresPicture() ? kPicturePolls : CameraSensingHandler::getSensingInterval();
}

bool CameraStabilizerHandler::senseReady(float& level) {
    const bool onPicture = measuresPicture();
    if (onPicture ? stillPicture(level) : steadyDevice(level)) {
        decision_ = Decision{sensedFor(), onPicture,
                             onPicture ? picture_.recentChange().value_or(0) : 0, false};
        return true;
    }
    if (!maxWaitReached()) return false;
    // Never a still moment within the maximum wait: the picture anyway.
    const auto* s = stabilizerSettings();
    trace("not steady within " + std::to_string(s->maxWait()) + " s: picture anyway");
    decision_ = Decision{sensedFor(), onPicture, 0, true};
    return true;
}

bool CameraStabilizerHandler::steadyDevice(float& level) const {
    const DevicePosition* position = DevicePosition::device();
    float mean = 10.0f;
    const bool steady = position && position->stable(sensitivity(), mean);
    level = 2 * mean;
    return steady;
}

bool CameraStabilizerHandler::stillPicture(float& level) {
    const bool still =
        picture_.still(controller()->cameraScreenshot(controller()->livePictureRect()),
                       controller()->runLoop().now(), pictureSensitivity());
    const std::optional<float> change = picture_.recentChange();
    // The bar reads as it does for the accelerometer: the middle threshold of
    // each shows at the same height, and full while nothing is known yet.
    level = change ? *change * kLevelPerChange : 10.0f;
    if (const std::optional<float> last = picture_.lastChange()) {
        char text[48];
        std::snprintf(text, sizeof text, "picture change %.4f", static_cast<double>(*last));
        trace(text);
    }
    return still;
}

bool CameraStabilizerHandler::maxWaitReached() const {
    const auto* s = stabilizerSettings();
    const int maxWait = s ? s->maxWait() : 0;
    return maxWait > 0 && controller() &&
           sensedFor() >= RunLoop::seconds(static_cast<double>(maxWait));
}

RunLoop::Duration CameraStabilizerHandler::sensedFor() const {
    return controller() ? controller()->runLoop().now() - sensingSince_ : RunLoop::Duration{};
}

std::string CameraStabilizerHandler::reason() const {
    if (!decision_) return "steady";
    const auto* s = stabilizerSettings();
    if (decision_->maxWaitReached)
        return "not steady within " + std::to_string(s ? s->maxWait() : 0) + " s";
    char text[64];
    if (decision_->onPicture) {
        std::snprintf(text, sizeof text, "steady %.1f s (picture change %.2f %%)",
                      RunLoop::toSeconds(decision_->waited), 100.0 * static_cast<double>(decision_->pictureChange));
    } else {
        std::snprintf(text, sizeof text, "steady %.1f s", RunLoop::toSeconds(decision_->waited));
    }
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
    if (state() != kSensing && controller()) {
        sensingSince_ = controller()->runLoop().now();
        picture_.reset();  // the first snapshot of a new watch is only taken in
    }
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

std::optional<std::string> CameraTossHandler::unavailableReason() const {
    if (!controller() || controller()->hasAccelerometer()) return std::nullopt;
    return "Moving needs an accelerometer";
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
        // The picture is of the jolt's sample, not of this poll.
        if (const auto jolt = position->joltTime(threshold)) setEventTime(*jolt);
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
    if (unavailableReason()) {
        // Nothing to sense with: no panel, no waiting, only why.
        trace("no accelerometer: not sensing");
        controller()->showModeNotice();
        return;
    }
    CameraSensingHandler::startSensing();
    setStatusImage("Status_Shaking.png");
}

void CameraTossHandler::stopSensing() {
    CameraSensingHandler::stopSensing();
    setStatusImage("");
}

}  // namespace kestrel
