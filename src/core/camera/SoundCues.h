#pragma once

#include "core/platform/SystemSounds.h"

#include <array>
#include <filesystem>

namespace kestrel {

// Short sounds that tell a user who is not looking (a remote shutter, a
// tripod across the room) what the camera did: a sensing watch is armed, a
// picture was taken, a photo was saved. Played through the system sounds
// only while the "sound cues" setting is on; each file is registered on its
// first use. Main thread.
class SoundCues {
public:
    enum Cue : int { kArmed = 0, kShot = 1, kSaved = 2 };
    static constexpr std::array<const char*, 3> kFiles{"armed.wav", "shot.wav", "saved.wav"};

    SoundCues(SystemSounds& sounds, std::filesystem::path resources)
        : sounds_(&sounds), resources_(std::move(resources)) {}
    ~SoundCues();
    SoundCues(const SoundCues&) = delete;
    SoundCues& operator=(const SoundCues&) = delete;

    // Plays the cue when the setting is on; NO when it is off or the sound cannot be used.
    bool play(Cue cue);

private:
    SystemSounds* sounds_;
    std::filesystem::path resources_;
    std::array<SystemSounds::SoundId, 3> ids_{};
    std::array<bool, 3> tried_{};
};

}  // namespace kestrel
