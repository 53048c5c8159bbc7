#include "core/modes/CameraTimerHandler.h"

#include "core/platform/Log.h"
#include "core/settings/ActiveHours.h"
#include "core/settings/Camera1Data.h"

#include <algorithm>
#include <ctime>
#include <string>

namespace kestrel {
namespace {

const Camera1TimerData* timerSettings() {
    const Camera1Data* settings = Camera1Data::data();
    return settings ? &settings->timer() : nullptr;
}

ActiveHours activeHours() {
    const auto* s = timerSettings();
    return s ? ActiveHours::of(*s) : ActiveHours();
}

// "07:00": the local time of day of a moment, to the minute.
std::string clockAt(std::chrono::system_clock::time_point when) {
    const std::time_t t =
        std::chrono::floor<std::chrono::seconds>(when).time_since_epoch().count();
    std::tm local{};
    localtime_r(&t, &local);
    return ActiveHours::clockText(local.tm_hour * 60 + local.tm_min);
}

}  // namespace

CameraTimerHandler::~CameraTimerHandler() {
    next_.reset();
    hideWaiting();
}

int CameraTimerHandler::getTimerDelay() const {
    const auto* s = timerSettings();
    return s ? s->timerDelay() : 10;  // read at every tick
}

void CameraTimerHandler::ready() {
    // An interval series takes its next picture on its own clock, and a
    // series waiting for its hours says so again (a save that ended
    // meanwhile took the label).
    if (next_) {
        showWaiting();
        return;
    }
    // A repeating series goes on with a count-down of its own, not a new press.
    if (autoStart()) startDelay();
}

bool CameraTimerHandler::shutter() {
    if (next_) {
        // A press between the pictures of a series ends it.
        stopSeries();
        return true;
    }
    if (state() == kIdle) {
        taken_ = 0;
        slot_ = -1;
        startDelay();
        return true;
    }
    return CameraHandler::shutter();
}

void CameraTimerHandler::photo() {
    if (!controller()) return;
    const auto* s = timerSettings();
    const int interval = s ? s->interval() : 0;
    const int count = s ? s->count() : 0;
    RunLoop& loop = controller()->runLoop();
    if (slot_ < 0) {
        // The series' first due time: an interval series' clock starts here.
        slot_ = 0;
        seriesStart_ = loop.now();
    }
    const ActiveHours hours = activeHours();
    if (!hours.contains(loop.wallNow())) {
        skip(hours, interval);
        return;
    }
    hideWaiting();
    ++taken_;
    const bool more = count <= 0 || taken_ < count;
    if (interval > 0) {
        if (more) {
            // Due at start + n·interval, from the first due time, so that
            // nothing a picture does shifts the ones after it.
            const std::int64_t slot = slot_ + 1;
            waitUntil(seriesStart_ + RunLoop::seconds(static_cast<double>(interval)) * slot,
                      [this, slot] { requestNext(slot); });
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

void CameraTimerHandler::skip(const ActiveHours& hours, int interval) {
    RunLoop& loop = controller()->runLoop();
    std::optional<RunLoop::Duration> wake;
    RunLoop::Duration picture{};
    std::function<void()> then;
    if (interval > 0) {
        // The series keeps its clock: the first of its due times inside the hours.
        const RunLoop::Duration step = RunLoop::seconds(static_cast<double>(interval));
        if (const auto ahead = hours.firstInside(loop, seriesStart_ + step * (slot_ + 1), step)) {
            const std::int64_t slot = slot_ + 1 + *ahead;
            wake = picture = seriesStart_ + step * slot;
            then = [this, slot] { requestNext(slot); };
        }
    } else if (const auto start = hours.nextStart(loop, loop.now())) {
        // A count-down that ends as the hours begin (or as soon after as it can).
        const RunLoop::Duration countDown = RunLoop::seconds(kTick) * (20 * getTimerDelay() + 4);
        wake = std::max(loop.now(), *start - countDown);
        picture = *wake + countDown;
        then = [this] {
            next_.reset();
            setState(kIdle);
            hideWaiting();
            startDelay();
        };
    }
    if (!wake) {
        Log::warning("timer: the active hours " + hours.text() + " do not come within " +
                     std::to_string(ActiveHours::kSearchDays) + " days; the series ends");
        trace("picture skipped (outside active hours)");
        stopSeries();
        return;
    }
    const auto when = loop.wallTime(picture);
    trace("picture skipped (outside active hours), next at " + ActiveHours::localText(when));
    waitUntil(*wake, std::move(then));
    waitingText_ = "Active hours: next photo " + clockAt(when);
    showWaiting();
}

void CameraTimerHandler::waitUntil(RunLoop::Duration due, std::function<void()> then) {
    RunLoop& loop = controller()->runLoop();
    next_ = std::make_unique<Timer>(loop);
    next_->start(due - loop.now(), std::move(then));
    setState(kDelay);
    setAutoStart(true);
    controller()->shutterButton().setImage("pause.png");
}

void CameraTimerHandler::requestNext(std::int64_t slot) {
    next_.reset();
    setState(kIdle);
    slot_ = slot;
    trace("interval picture " + std::to_string(taken_ + 1));
    photo();
}

void CameraTimerHandler::stopSeries() {
    next_.reset();
    setAutoStart(false);
    setState(kIdle);
    hideWaiting();
    trace("series stopped");
    if (controller()) controller()->shutterButton().setImage("camera.png");
}

void CameraTimerHandler::showWaiting() {
    if (!controller() || waitingText_.empty()) return;
    Label& label = controller()->saveLabel();
    label.setText(waitingText_);
    label.setHidden(false);
}

void CameraTimerHandler::hideWaiting() {
    if (waitingText_.empty()) return;
    // Only our own text: a message put there since (saving) stays.
    if (controller() && controller()->saveLabel().text() == waitingText_)
        controller()->saveLabel().setHidden(true);
    waitingText_.clear();
}

}  // namespace kestrel
