#include "core/modes/CameraFacesHandler.h"

#include "core/platform/Log.h"
#include "core/settings/Camera1Data.h"
#include "core/ui/Label.h"

#include <algorithm>
#include <cstdio>

namespace kestrel {

CameraFacesHandler::~CameraFacesHandler() = default;

int CameraFacesHandler::agreement(int storedSensitivity) {
    return storedSensitivity == 2 ? 5 : storedSensitivity == 3 ? 2 : 3;
}

FaceWatch::Rule CameraFacesHandler::rule() {
    const Camera1Data* settings = Camera1Data::data();
    if (!settings) return FaceWatch::Rule{};
    const Camera1FacesData& faces = settings->faces();
    const int wanted = faces.faces();
    return FaceWatch::Rule{faces.trigger() != Camera1FacesData::kLook,
                           wanted >= 1 && wanted <= 3 ? wanted : FaceWatch::kAllFound,
                           agreement(faces.sensitivity())};
}

std::string CameraFacesHandler::countText(const FaceWatch::Count& count, bool smile) {
    char text[64];
    std::snprintf(text, sizeof text, "%d %s \u00b7 %d %s", count.found,
                  count.found == 1 ? "face" : "faces", smile ? count.smiling : count.looking,
                  smile ? "smiling" : "looking");
    return text;
}

std::optional<std::string> CameraFacesHandler::unavailableReason() const {
    if (controller() && !controller()->faceFinder()) return "Faces needs the face finder (dlib)";
    if (watch_ && !watch_->failure().empty()) return "Faces: the face finder failed";
    return std::nullopt;
}

bool CameraFacesHandler::shutter() {
    if (state() != kIdle) return CameraHandler::shutter();
    if (unavailableReason()) {
        if (controller()) controller()->showModeNotice();
        return false;
    }
    // A repeat's next watch waits out its pause as a count-down does.
    if (getTimerDelay() > 0 || autoStart())
        startDelay();
    else
        startSensing();
    return true;
}

int CameraFacesHandler::getTimerDelay() const {
    const Camera1Data* settings = Camera1Data::data();
    return settings ? std::max(0, settings->faces().timerDelay()) : 0;
}

void CameraFacesHandler::delaying() {
    if (!autoStart()) {
        CameraHandler::delaying();
        return;
    }
    // The pause between the photos of a repeat: no number, no beep.
    if (delayCount() > kPauseTicks - 1) endDelay();
}

void CameraFacesHandler::endDelay() {
    stopDelay();
    startSensing();
}

void CameraFacesHandler::startSensing() {
    if (state() == kSensing || !controller()) return;
    if (!watch_) {
        std::shared_ptr<FaceFinder> finder = controller()->faceFinder();
        if (!finder) {
            Log::warning("faces mode: no face finder; nothing is watched");
            return;
        }
        watch_ = std::make_unique<FaceWatch>(controller()->runLoop(), std::move(finder));
    }
    watch_->reset();
    watch_->setRule(rule());
    CameraSensingHandler::startSensing();
    showCount(FaceWatch::Count{});
}

bool CameraFacesHandler::senseReady(float& level) {
    level = 0;
    if (!watch_ || !controller()) return false;
    if (!watch_->failure().empty()) {
        // The finder stopped for good (its model could not be read, said in
        // the log): the watch ends, and the notice says the mode cannot work.
        trace("face finder failed: not sensing");
        stopSensing();
        controller()->showModeNotice();
        return false;
    }
    const FaceWatch::Rule& rule = watch_->rule();
    if (watch_->holds()) {
        fired_ = watch_->latest();
        firedSmile_ = rule.smile;
        if (watch_->heldAt()) setEventTime(*watch_->heldAt());
        trace(reason());
        return true;
    }
    watch_->poll(controller()->previewFrame(), controller()->runLoop().now());
    const FaceWatch::Count& count = watch_->latest();
    const int wanted = rule.faces == FaceWatch::kAllFound ? std::max(1, count.found) : rule.faces;
    level = static_cast<float>(FaceWatch::doing(count, rule)) / static_cast<float>(wanted);
    if (watch_->results() != shownResults_) showCount(count);
    return false;
}

void CameraFacesHandler::showCount(const FaceWatch::Count& count) {
    if (!controller()) return;
    shownResults_ = watch_ ? watch_->results() : 0;
    const bool smile = watch_ ? watch_->rule().smile : true;
    for (const auto& child : controller()->sensorView().subviews())
        if (auto* label = dynamic_cast<Label*>(child.get())) {
            label->setText(countText(count, smile));
            label->setHidden(false);
        }
}

void CameraFacesHandler::stopSensing() {
    if (controller())
        for (const auto& child : controller()->sensorView().subviews())
            if (auto* label = dynamic_cast<Label*>(child.get())) label->setHidden(true);
    CameraSensingHandler::stopSensing();
}

std::string CameraFacesHandler::reason() const {
    char text[64];
    std::snprintf(text, sizeof text, "faces %d of %d %s", firedSmile_ ? fired_.smiling : fired_.looking,
                  fired_.found, firedSmile_ ? "smiling" : "looking");
    return text;
}

void CameraFacesHandler::photo() {
    if (watch_) watch_->reset();
    const Camera1Data* settings = Camera1Data::data();
    setAutoStart(settings && settings->faces().repeat());
    CameraHandler::photo();
}

}  // namespace kestrel
