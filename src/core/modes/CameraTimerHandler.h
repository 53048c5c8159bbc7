#pragma once

#include "core/modes/CameraHandler.h"
#include "core/platform/Timer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kestrel {

class ActiveHours;

// Mode 2: the self-timer. A press starts the count-down of the timer
// sub-record's delay and the picture is taken at its end. A press may take a
// series: with repeat, the count-down starts again by itself after every
// picture; with an interval, the pictures are requested at press + delay and
// then every interval exactly from the first one (start to start, however
// long a picture takes to save), with no count-down between them. A series
// ends after the sub-record's count of pictures (0: never) or at a press.
//
// With active hours, a picture that comes due outside them is skipped, not
// counted (a series of N still takes N), and the series waits for them, the
// save label saying so: an interval series for the first of its due times
// inside them, a count-down for the one that ends as they begin. A press
// outside them starts the series as at any time; its first picture waits.
class CameraTimerHandler : public CameraHandler {
public:
    ~CameraTimerHandler() override;

    int getTimerDelay() const override;
    void ready() override;
    bool shutter() override;
    void photo() override;
    // The delay; for an interval series also the interval and the picture's number.
    std::string reason() const override;
    std::optional<std::string> getModeImage() const override { return "Mode_Timer_on.png"; }

    // Pictures requested since the press that started the series.
    int taken() const { return taken_; }
    // Whether an interval series, or a series waiting for its active hours,
    // is waiting for its next picture.
    bool waitingForNext() const { return next_ != nullptr; }
    // Whether the series waits for its active hours to begin.
    bool waitingForActiveHours() const { return next_ && !waitingText_.empty(); }

private:
    void stopSeries();
    void requestNext(std::int64_t slot);
    // The picture due now lies outside the active hours: skipped, and the
    // series waits for them.
    void skip(const ActiveHours& hours, int interval);
    // Waits until `due`, the next phase of the series in `then`, in the
    // state of a count-down (a press or leaving the camera ends the series).
    void waitUntil(RunLoop::Duration due, std::function<void()> then);
    void showWaiting();
    void hideWaiting();

    int taken_ = 0;
    // The interval series' due time being handled, as its number from the
    // first (seriesStart_); -1 before the first has come.
    std::int64_t slot_ = -1;
    RunLoop::Duration seriesStart_{};
    std::unique_ptr<Timer> next_;
    std::string waitingText_;  // on the save label while waiting for the active hours
};

}  // namespace kestrel
