#pragma once

#include "core/settings/PrefRecord.h"

#include <cstdint>

namespace kestrel {

// Parameters of the Video mode (8): stored and shown only.
// A fresh record holds the defaults; the record accepts any value.
class Camera1VideoData : public PrefRecord<Camera1VideoData> {
public:
    std::int32_t resolution() const { return resolution_; }
    void setResolution(std::int32_t value) { assign(resolution_, value); }

    template <class Self, class Visit>
    static void visitFields(Self& self, Visit&& visit) {
        visit("video resolution", self.resolution_);
    }

private:
    std::int32_t resolution_ = 320;
};

}  // namespace kestrel
