#pragma once

#include "core/modes/CameraHandler.h"
#include "core/platform/Timer.h"

#include <memory>

namespace kestrel {

// Mode 2: the self-timer. A press starts the count-down of the timer
// sub-record's delay and the picture is taken at its end. A press may take a
// series: with repeat, the count-down starts again by itself after every
// picture; with an interval, the pictures are requested at press + delay and
// then every interval exactly from the first one (start to start, however
// long a picture takes to save), with no count-down between them. A series
// ends after the sub-record's count of pictures (0: never) or at a press.
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
    // Whether an interval series is waiting for its next picture.
    bool waitingForNext() const { return next_ != nullptr; }

private:
    void stopSeries();
    void requestNext();

    int taken_ = 0;
    RunLoop::Duration seriesStart_{};
    std::unique_ptr<Timer> next_;
};

}  // namespace kestrel
