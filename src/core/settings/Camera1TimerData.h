#pragma once

#include "core/settings/PrefRecord.h"

#include <cstdint>

namespace kestrel {

// Parameters of the Timer mode (2): delay in seconds, repeat, the interval
// in seconds between the starts of pictures in a series (0: the count-down
// starts again after each picture) and the pictures per press (0: until
// pressed).
// The active hours: off (a series takes pictures at any time of day), or on,
// from one local time of day to another in minutes after midnight (see
// ActiveHours); a store from before them reads as off.
// A fresh record holds the defaults; the record accepts any value.
class Camera1TimerData : public PrefRecord<Camera1TimerData> {
public:
    std::int32_t timerDelay() const { return timerDelay_; }
    void setTimerDelay(std::int32_t value) { assign(timerDelay_, value); }
    bool repeat() const { return repeat_; }
    void setRepeat(bool value) { assign(repeat_, value); }
    std::int32_t interval() const { return interval_; }
    void setInterval(std::int32_t value) { assign(interval_, value); }
    std::int32_t count() const { return count_; }
    void setCount(std::int32_t value) { assign(count_, value); }
    bool activeHours() const { return activeHours_; }
    void setActiveHours(bool value) { assign(activeHours_, value); }
    std::int32_t activeFrom() const { return activeFrom_; }
    void setActiveFrom(std::int32_t value) { assign(activeFrom_, value); }
    std::int32_t activeTo() const { return activeTo_; }
    void setActiveTo(std::int32_t value) { assign(activeTo_, value); }

    template <class Self, class Visit>
    static void visitFields(Self& self, Visit&& visit) {
        visit("timer delay", self.timerDelay_);
        visit("timer repeat", self.repeat_);
        visit("timer interval", self.interval_);
        visit("timer count", self.count_);
        visit("timer active hours", self.activeHours_);
        visit("timer active from", self.activeFrom_);
        visit("timer active to", self.activeTo_);
    }

private:
    std::int32_t timerDelay_ = 10;
    bool repeat_ = false;
    std::int32_t interval_ = 0;
    std::int32_t count_ = 0;
    bool activeHours_ = false;
    std::int32_t activeFrom_ = 7 * 60;  // daylight: 07:00 to 19:00
    std::int32_t activeTo_ = 19 * 60;
};

}  // namespace kestrel
