#include "core/modes/CameraHandler.h"

#include "core/imaging/PhotoProcessor.h"
#include "core/settings/Camera1Data.h"
#include "core/ui/ImageView.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <locale>
#include <sstream>

namespace kestrel {

CameraHandler::~CameraHandler() {
    if (!controller_) return;
    stopDelay();
    stopSensing();
}

void CameraHandler::setController(CameraHandlerHost* controller) { controller_ = controller; }

void CameraHandler::ready() {
    if (autoStart_) shutter();
}

bool CameraHandler::shutter() {
    switch (state_) {
        case kIdle:
            photo();
            return true;
        case kDelay:
            autoStart_ = false;
            stopDelay();
            return true;
        case kSensing:
            autoStart_ = false;
            stopSensing();
            return true;
        default:
            return false;
    }
}

void CameraHandler::photo() {
    if (!controller_) return;
    // A mode that saw its event earlier has said when; otherwise the picture
    // is of now: the press, the end of the count-down, the decision.
    if (!eventTime_) eventTime_ = controller_->runLoop().now();
    controller_->photo(true);
}

CameraHandler::Recipe CameraHandler::firstRecipe(float) {
    return [](const Image& picture) { return picture; };
}

void CameraHandler::keepFirstPhoto(const Image&) {}

// --- Count-down ---

void CameraHandler::startDelay() {
    if (!controller_ || delayTimer_) return;
    delayCount_ = 0;
    delayTimer_ = std::make_unique<Timer>(controller_->runLoop());
    delayTimer_->startRepeating(RunLoop::seconds(kTick), [this] {
        ++delayCount_;
        delaying();
    });
    state_ = kDelay;
    trace("count-down started");
    controller_->waitingChanged();
    Label& label = controller_->timerLabel();
    label.setFont(Font{72, true});
    label.setText("");
    label.setHidden(false);
    controller_->shutterButton().setImage("pause.png");
}

void CameraHandler::delaying() {
    if (!beepSound_ && controller_) {
        const Camera1Data* settings = Camera1Data::data();
        // The stored choice, not the effective one: every count-down may beep.
        if (settings && settings->timerBeep())
            beepSound_ = SoundFile::soundFileFromFileName("beep.wav", controller_->resources(),
                                                          controller_->systemSounds());
    }
    const int delay = getTimerDelay();
    const int remaining = 20 * delay - delayCount_ + 4;
    if (remaining <= 0) {
        endDelay();
        return;
    }
    const int n = remaining + 1;
    const int count = n / 20;
    if (count > delay || n % 20 != 0) return;
    if (beepSound_ && count <= 10) {
        beepSound_->play();
        trace("beep");
    }
    if (controller_) controller_->timerLabel().setText(std::to_string(count));
    trace("count-down " + std::to_string(count));
}

void CameraHandler::stopDelay() {
    if (delayTimer_) trace("count-down stopped");
    if (controller_) controller_->timerLabel().setHidden(true);
    delayTimer_.reset();
    state_ = kIdle;
    if (controller_) {
        controller_->shutterButton().setImage("camera.png");
        controller_->waitingChanged();
    }
}

void CameraHandler::endDelay() {
    photoDue_ = true;  // before the stop: the frames kept for the picture stay
    stopDelay();
    postPhoto();
}

void CameraHandler::postPhoto() {
    // On the next turn of the loop, after the tick that decided has returned.
    if (!controller_) {
        photoDue_ = false;
        return;
    }
    photoDue_ = true;
    controller_->runLoop().post([this, alive = std::weak_ptr<int>(alive_)] {
        if (!alive.lock()) return;
        photoDue_ = false;
        photo();
    });
}

// --- Sensor loop ---

void CameraHandler::startSensing() {
    if (!controller_ || sensingTimer_) return;
    sensingTimer_ = std::make_unique<Timer>(controller_->runLoop());
    sensingTimer_->startRepeating(RunLoop::seconds(1.0 / getSensingInterval()),
                                  [this] { sensing(); });
    state_ = kSensing;
    levelShown_ = -1;
    trace("sensing started");
    controller_->sensingStarted();
    controller_->waitingChanged();
    controller_->sensorView().setHidden(!showSensingIndicator());
    controller_->shutterButton().setImage("pause.png");
}

void CameraHandler::sensing() {
    float level = 0;
    if (senseReady(level)) {
        endSensing();
        return;
    }
    if (!controller_) return;
    IndicatorView& indicator = controller_->sensorIndicator();
    const float shown = std::clamp(level, 0.0f, 1.0f);
    indicator.setLevel(shown);
    indicator.setNeedsDisplay();
    if (shown != levelShown_ && showSensingIndicator()) {
        char text[32];
        std::snprintf(text, sizeof text, "level %.2f", static_cast<double>(shown));
        trace(text);
    }
    levelShown_ = shown;
}

void CameraHandler::stopSensing() {
    if (!sensingTimer_) return;
    sensingTimer_.reset();
    trace("sensing stopped");
    if (controller_) {
        controller_->sensorView().setHidden(true);
        controller_->shutterButton().setImage("camera.png");
    }
    state_ = kIdle;
    if (controller_) controller_->waitingChanged();
}

void CameraHandler::endSensing() {
    photoDue_ = true;  // before the stop: the frames kept for the picture stay
    stopSensing();
    postPhoto();
}

void CameraHandler::setStatusImage(const std::string& name) {
    if (!controller_) return;
    for (const auto& child : controller_->sensorView().subviews())
        if (auto* image = dynamic_cast<ImageView*>(child.get())) image->setImageName(name);
}

bool CameraHandler::senseReady(float& level) {
    level = 0;
    return false;
}

// --- The picture ---

int CameraHandler::modification() const { return Camera1Data::effective().modification(); }

bool CameraHandler::modifiedImage() const {
    const EffectiveSettings settings = Camera1Data::effective();
    return modification() != 0 || settings.ratio() != 0 || settings.timeStamp();
}

std::string CameraHandler::timeStampText(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    std::ostringstream text;
    try {
        text.imbue(std::locale(""));
    } catch (const std::exception&) {
        text.imbue(std::locale::classic());
    }
    // Medium date ("Dec 8, 2026") and short time ("04:49").
    text << std::put_time(&local, "%b %e, %Y %H:%M");
    std::string result = text.str();
    result.erase(std::unique(result.begin(), result.end(),
                             [](char a, char b) { return a == ' ' && b == ' '; }),
                 result.end());
    return result;
}

std::optional<std::string> CameraHandler::timeStamp() const {
    if (!Camera1Data::effective().timeStamp()) return std::nullopt;
    return timeStampText(std::chrono::system_clock::now());
}

CameraHandler::Recipe CameraHandler::finalRecipe(float zoom) {
    const EffectiveSettings effective = Camera1Data::effective();
    PhotoSettings settings;
    settings.fullSizePhoto = effective.fullSizePhoto();
    settings.aspectRatio = static_cast<float>(Camera1Data::getAspectRatio(effective.ratio()));
    settings.ratioChosen = effective.ratio() != 0;
    settings.modification = modification();
    settings.timeStamp = timeStamp();  // the time of the press, not of the processing
    settings.tilt = effective.tilt();
    return [settings, zoom](const Image& picture) {
        return PhotoProcessor::processPhoto(picture, zoom, settings);
    };
}

// --- Sensing modes ---

bool CameraSensingHandler::shutter() {
    if (state() == kIdle) {
        startSensing();
        return true;
    }
    return CameraHandler::shutter();
}

}  // namespace kestrel
