#pragma once

#include "core/settings/PrefRecord.h"

#include <cstdint>

namespace kestrel {

// Parameters of the Timer mode (2): delay in seconds, repeat.
// A fresh record holds the defaults; the record accepts any value.
class Camera1TimerData : public PrefRecord<Camera1TimerData> {
public:
    std::int32_t timerDelay() const { return timerDelay_; }
    void setTimerDelay(std::int32_t value) { assign(timerDelay_, value); }
    bool repeat() const { return repeat_; }
    void setRepeat(bool value) { assign(repeat_, value); }

    template <class Self, class Visit>
    static void visitFields(Self& self, Visit&& visit) {
        visit("timer delay", self.timerDelay_);
        visit("timer repeat", self.repeat_);
    }

private:
    std::int32_t timerDelay_ = 10;
    bool repeat_ = false;
};

}  // namespace kestrel
