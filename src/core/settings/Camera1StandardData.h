#pragma once

#include "core/settings/PrefRecord.h"

namespace kestrel {

// Parameters of the Standard mode (1): it has none, and stores nothing.
// A fresh record holds the defaults; the record accepts any value.
class Camera1StandardData : public PrefRecord<Camera1StandardData> {
public:
    template <class Self, class Visit>
    static void visitFields(Self&, Visit&&) {}
};

}  // namespace kestrel
