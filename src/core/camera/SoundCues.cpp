#include "core/camera/SoundCues.h"

#include "core/platform/Log.h"
#include "core/settings/Camera1Data.h"

namespace kestrel {

SoundCues::~SoundCues() {
    for (const SystemSounds::SoundId id : ids_)
        if (id != 0) sounds_->dispose(id);
}

bool SoundCues::play(Cue cue) {
    const Camera1Data* settings = Camera1Data::data();
    if (!settings || !settings->soundCues()) return false;
    const auto index = static_cast<std::size_t>(cue);
    if (!tried_[index]) {
        tried_[index] = true;
        ids_[index] = sounds_->registerSound(resources_ / kFiles[index]);
        if (ids_[index] == 0)
            Log::warning(std::string("sound cue ") + kFiles[index] + " cannot be used: " +
                         (resources_ / kFiles[index]).string());
    }
    if (ids_[index] == 0) return false;
    sounds_->play(ids_[index]);
    return true;
}

}  // namespace kestrel
