#pragma once

#include "core/settings/PrefRecord.h"

#include <cstdint>

namespace kestrel {

// Parameters of the Rapid Fire mode (6): pictures per sheet, 16 or 25.
// A fresh record holds the defaults; the record accepts any value.
class Camera1RapidData : public PrefRecord<Camera1RapidData> {
public:
    std::int32_t rapidMode() const { return rapidMode_; }
    void setRapidMode(std::int32_t value) { assign(rapidMode_, value); }

    template <class Self, class Visit>
    static void visitFields(Self& self, Visit&& visit) {
        visit("rapid mode", self.rapidMode_);
    }

private:
    std::int32_t rapidMode_ = 16;
};

}  // namespace kestrel
