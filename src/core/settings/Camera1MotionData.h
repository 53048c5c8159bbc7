#pragma once

#include "core/settings/PrefRecord.h"

#include <cstdint>

namespace kestrel {

// Parameters of the Motion mode (4). The delay is stored with its default but
// nothing offers or reads it: the motion count-down is fixed. With "ignore
// light" a change of the whole frame's brightness is not motion.
// A fresh record holds the defaults; the record accepts any value.
class Camera1MotionData : public PrefRecord<Camera1MotionData> {
public:
    std::int32_t sensitivity() const { return sensitivity_; }
    void setSensitivity(std::int32_t value) { assign(sensitivity_, value); }
    std::int32_t timerDelay() const { return timerDelay_; }
    void setTimerDelay(std::int32_t value) { assign(timerDelay_, value); }
    bool ignoreLight() const { return ignoreLight_; }
    void setIgnoreLight(bool value) { assign(ignoreLight_, value); }

    template <class Self, class Visit>
    static void visitFields(Self& self, Visit&& visit) {
        visit("motion sensitivity", self.sensitivity_);
        visit("motion delay", self.timerDelay_);
        visit("motion ignore light", self.ignoreLight_);
    }

private:
    std::int32_t sensitivity_ = 0;
    std::int32_t timerDelay_ = 5;
    bool ignoreLight_ = false;
};

}  // namespace kestrel
