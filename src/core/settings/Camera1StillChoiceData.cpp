#include "core/settings/Camera1StillChoiceData.h"

namespace kestrel {
namespace {

constexpr std::int32_t kDefault = 0;
constexpr std::int32_t kOn = 1;
constexpr std::int32_t kOff = 2;

bool modeIn(unsigned mask, int mode) { return mode >= 0 && mode < 6 && ((mask >> mode) & 1u) != 0; }

constexpr unsigned kMomentModes = 0x3F;     // 0 stabilizer, 1 standard, 2 timer, 3 toss, 4 motion, 5 sound
constexpr unsigned kMomentByDefault = 0x38; // 3 4 5
constexpr unsigned kSharpestModes = 0x27;   // 0 1 2 5

bool read(std::int32_t stored, bool byDefault) {
    if (stored == kOn) return true;
    if (stored == kOff) return false;
    return byDefault;  // 0, and any value a hand-edited store may hold
}

}  // namespace

bool Camera1StillChoiceData::offersCatchTheMoment(int mode) { return modeIn(kMomentModes, mode); }
bool Camera1StillChoiceData::offersPickTheSharpest(int mode) { return modeIn(kSharpestModes, mode); }
bool Camera1StillChoiceData::catchesTheMomentByDefault(int mode) { return modeIn(kMomentByDefault, mode); }

bool Camera1StillChoiceData::catchTheMoment(int mode) const {
    if (!offersCatchTheMoment(mode)) return false;
    return read(moment_[mode], catchesTheMomentByDefault(mode));
}

bool Camera1StillChoiceData::pickTheSharpest(int mode) const {
    if (!offersPickTheSharpest(mode)) return false;
    return read(sharpest_[mode], false);
}

void Camera1StillChoiceData::setCatchTheMoment(int mode, bool on) {
    if (offersCatchTheMoment(mode)) assign(moment_[mode], on ? kOn : kOff);
}

void Camera1StillChoiceData::setPickTheSharpest(int mode, bool on) {
    if (offersPickTheSharpest(mode)) assign(sharpest_[mode], on ? kOn : kOff);
}

}  // namespace kestrel
