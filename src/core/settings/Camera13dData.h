#pragma once

#include "core/settings/PrefRecord.h"

namespace kestrel {

// Parameters of the Anaglyph 3D mode (9): colour or grey anaglyph.
// A fresh record holds the defaults; the record accepts any value.
class Camera13dData : public PrefRecord<Camera13dData> {
public:
    bool color() const { return color_; }
    void setColor(bool value) { assign(color_, value); }

    template <class Self, class Visit>
    static void visitFields(Self& self, Visit&& visit) {
        visit("3d color", self.color_);
    }

private:
    bool color_ = false;
};

}  // namespace kestrel
