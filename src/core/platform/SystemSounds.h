#pragma once

#include <filesystem>

namespace kestrel {

// Short system sounds: register a sound file once, play it without blocking.
class SystemSounds {
public:
    using SoundId = unsigned;  // 0 is never a sound

    virtual ~SystemSounds() = default;
    // 0 when the file cannot be used.
    virtual SoundId registerSound(const std::filesystem::path& file) = 0;
    virtual void play(SoundId sound) = 0;
    virtual void dispose(SoundId sound) = 0;
    // The device vibrates briefly (where it cannot, nothing happens).
    virtual void vibrate() = 0;
};

}  // namespace kestrel
