#pragma once

#include "core/settings/PrefRecord.h"

#include <cstdint>

namespace kestrel {

// Parameters of the Faces mode (11): what the people in view must do (0:
// smile, 1: look at the camera), how many of them (1, 2 or 3, or 0: all the
// faces found), the sensitivity (as the other modes store it: 2 low, 3 high,
// anything else medium), the count-down before the watch in seconds, and
// whether the watch starts again after each photo.
// A fresh record holds the defaults; the record accepts any value.
class Camera1FacesData : public PrefRecord<Camera1FacesData> {
public:
    enum Trigger : std::int32_t { kSmile = 0, kLook = 1 };
    static constexpr std::int32_t kAllFound = 0;

    std::int32_t trigger() const { return trigger_; }
    void setTrigger(std::int32_t value) { assign(trigger_, value); }
    std::int32_t faces() const { return faces_; }
    void setFaces(std::int32_t value) { assign(faces_, value); }
    std::int32_t sensitivity() const { return sensitivity_; }
    void setSensitivity(std::int32_t value) { assign(sensitivity_, value); }
    std::int32_t timerDelay() const { return timerDelay_; }
    void setTimerDelay(std::int32_t value) { assign(timerDelay_, value); }
    bool repeat() const { return repeat_; }
    void setRepeat(bool value) { assign(repeat_, value); }

    template <class Self, class Visit>
    static void visitFields(Self& self, Visit&& visit) {
        visit("faces trigger", self.trigger_);
        visit("faces count", self.faces_);
        visit("faces sensitivity", self.sensitivity_);
        visit("faces delay", self.timerDelay_);
        visit("faces repeat", self.repeat_);
    }

private:
    std::int32_t trigger_ = kSmile;
    std::int32_t faces_ = 1;
    std::int32_t sensitivity_ = 0;
    std::int32_t timerDelay_ = 5;
    bool repeat_ = false;
};

}  // namespace kestrel
