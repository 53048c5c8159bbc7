#pragma once

#include "core/platform/SystemSounds.h"

#include <filesystem>
#include <map>

struct ca_context;

namespace kestrel {

// The desktop's event sounds through libcanberra (PulseAudio, PipeWire or
// ALSA underneath): a registered file plays asynchronously, never blocking
// the caller. Without a sound system nothing plays and the cause is logged
// once. The desktop has no vibration motor to drive: vibrate does nothing.
class CanberraSounds final : public SystemSounds {
public:
    CanberraSounds();
    ~CanberraSounds() override;
    CanberraSounds(const CanberraSounds&) = delete;
    CanberraSounds& operator=(const CanberraSounds&) = delete;

    SoundId registerSound(const std::filesystem::path& file) override;
    void play(SoundId sound) override;
    void dispose(SoundId sound) override;
    void vibrate() override {}

    // Whether a sound system took the context.
    bool available() const { return context_ != nullptr; }

private:
    ca_context* context_ = nullptr;
    std::map<SoundId, std::filesystem::path> sounds_;
    SoundId next_ = 1;
    bool complained_ = false;
};

}  // namespace kestrel
