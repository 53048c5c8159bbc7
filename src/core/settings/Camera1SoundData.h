#pragma once

#include "core/settings/PrefRecord.h"

#include <cstdint>

namespace kestrel {

// Parameters of the Sound mode (5).
// A fresh record holds the defaults; the record accepts any value.
class Camera1SoundData : public PrefRecord<Camera1SoundData> {
public:
    std::int32_t sensitivity() const { return sensitivity_; }
    void setSensitivity(std::int32_t value) { assign(sensitivity_, value); }

    template <class Self, class Visit>
    static void visitFields(Self& self, Visit&& visit) {
        visit("sound sensitivity", self.sensitivity_);
    }

private:
    std::int32_t sensitivity_ = 0;
};

}  // namespace kestrel
