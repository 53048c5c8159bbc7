#pragma once

#include "core/settings/PrefRecord.h"

#include <cstdint>

namespace kestrel {

// Which frame a mode's still is, per mode: "Catch the Moment" (the frame of
// the trigger's own moment, from the frames the camera keeps while the mode
// waits) and "Pick the Sharpest" (the sharpest frame within 0.3 s of it).
//
// Each is stored as 0 for the mode's default, 1 for on, 2 for off, so that
// settings stored before the option existed read as the default.
// A fresh record holds the defaults; the record accepts any value.
class Camera1StillChoiceData : public PrefRecord<Camera1StillChoiceData> {
public:
    // The modes that offer each option (mode numbers as Camera1Data's).
    static bool offersCatchTheMoment(int mode);
    static bool offersPickTheSharpest(int mode);
    // On by default for the modes whose trigger comes from an event that has
    // passed when it is recognised: toss, motion and sound.
    static bool catchesTheMomentByDefault(int mode);

    // NO for a mode that does not offer the option.
    bool catchTheMoment(int mode) const;
    bool pickTheSharpest(int mode) const;
    // Ignored for a mode that does not offer the option.
    void setCatchTheMoment(int mode, bool on);
    void setPickTheSharpest(int mode, bool on);

    template <class Self, class Visit>
    static void visitFields(Self& self, Visit&& visit) {
        visit("stabilizer catch the moment", self.moment_[0]);
        visit("standard catch the moment", self.moment_[1]);
        visit("timer catch the moment", self.moment_[2]);
        visit("toss catch the moment", self.moment_[3]);
        visit("motion catch the moment", self.moment_[4]);
        visit("sound catch the moment", self.moment_[5]);
        visit("stabilizer pick the sharpest", self.sharpest_[0]);
        visit("standard pick the sharpest", self.sharpest_[1]);
        visit("timer pick the sharpest", self.sharpest_[2]);
        visit("sound pick the sharpest", self.sharpest_[5]);
    }

private:
    static constexpr int kModes = 6;  // modes 0 to 5 are the ones that offer either
    std::int32_t moment_[kModes] = {};
    std::int32_t sharpest_[kModes] = {};
};

}  // namespace kestrel
