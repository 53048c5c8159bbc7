#include "core/modes/CameraTimerHandler.h"

#include "core/settings/Camera1Data.h"

#include <string>

namespace kestrel {
namespace {

const Camera1TimerData* timerSettings() {
    const Camera1Data* settings = Camera1Data::data();
    return settings ? &settings->timer() : nullptr;
}

}  // namespace

CameraTimerHandler::~CameraTimerHandler() { next_.reset(); }

int CameraTimerHandler::getTimerDelay() const {
    const auto* s = timerSettings();
    return s ? s->timerDelay() : 10;  // read at every tick
}

void CameraTimerHandler::ready() {
    // An interval series takes its next picture on its own clock.
    if (next_) return;
    // A repeating series goes on with a count-down of its own, not a new press.
    if (autoStart()) startDelay();
}

bool CameraTimerHandler::shutter() {
    if (next_) {
        // A press between the pictures of an interval series ends it.
        stopSeries();
        return true;
    }
    if (state() == kIdle) {
        taken_ = 0;
        startDelay();
        return true;
    }
    return CameraHandler::shutter();
}

void CameraTimerHandler::photo() {
    const auto* s = timerSettings();
    const int interval = s ? s->interval() : 0;
    const int count = s ? s->count() : 0;
    ++taken_;
    const bool more = count <= 0 || taken_ < count;
    if (interval > 0) {
        if (taken_ == 1 && controller()) seriesStart_ = controller()->runLoop().now();
        if (more && controller()) {
            // Due at start + n·interval, from the first picture's time, so
            // that nothing a picture does shifts the ones after it.
            const RunLoop::Duration due =
                seriesStart_ + RunLoop::seconds(static_cast<double>(interval)) * taken_;
            next_ = std::make_unique<Timer>(controller()->runLoop());
            next_->start(due - controller()->runLoop().now(), [this] { requestNext(); });
            setState(kDelay);
            setAutoStart(true);
            controller()->shutterButton().setImage("pause.png");
        } else {
            setAutoStart(false);
        }
    } else {
        setAutoStart(s && s->repeat() && more);
    }
    CameraHandler::photo();
}

std::string CameraTimerHandler::reason() const {
    const auto* s = timerSettings();
    const int interval = s ? s->interval() : 0;
    const int count = s ? s->count() : 0;
    std::string text = "timer " + std::to_string(getTimerDelay()) + " s";
    if (interval <= 0) return text;
    text += ", every " + std::to_string(interval) + " s, picture " + std::to_string(taken_);
    if (count > 0) text += " of " + std::to_string(count);
    return text;
}

void CameraTimerHandler::requestNext() {
    next_.reset();
    setState(kIdle);
    trace("interval picture " + std::to_string(taken_ + 1));
    photo();
}

void CameraTimerHandler::stopSeries() {
    next_.reset();
    setAutoStart(false);
    setState(kIdle);
    trace("series stopped");
    if (controller()) controller()->shutterButton().setImage("camera.png");
}

}  // namespace kestrel
