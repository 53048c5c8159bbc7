#pragma once

#include "core/settings/PrefRecord.h"

#include <cstdint>

namespace kestrel {

// Parameters of the Stabilizing mode (0). The maximum wait (seconds; 0:
// for ever) is how long sensing waits for a still moment before it takes
// the picture anyway.
// A fresh record holds the defaults; the record accepts any value.
class Camera1StablizingData : public PrefRecord<Camera1StablizingData> {
public:
    bool autoShutter() const { return autoShutter_; }
    void setAutoShutter(bool value) { assign(autoShutter_, value); }
    std::int32_t shutterDelay() const { return shutterDelay_; }
    void setShutterDelay(std::int32_t value) { assign(shutterDelay_, value); }
    std::int32_t sensitivity() const { return sensitivity_; }
    void setSensitivity(std::int32_t value) { assign(sensitivity_, value); }
    std::int32_t maxWait() const { return maxWait_; }
    void setMaxWait(std::int32_t value) { assign(maxWait_, value); }

    template <class Self, class Visit>
    static void visitFields(Self& self, Visit&& visit) {
        visit("stabilizer auto shutter", self.autoShutter_);
        visit("stabilizer shutter delay", self.shutterDelay_);
        visit("stabilizer sensitivity", self.sensitivity_);
        visit("stabilizer max wait", self.maxWait_);
    }

private:
    bool autoShutter_ = false;
    std::int32_t shutterDelay_ = 10;
    std::int32_t sensitivity_ = 0;
    std::int32_t maxWait_ = 0;
};

}  // namespace kestrel
