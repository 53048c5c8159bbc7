#pragma once

#include "core/platform/SystemSounds.h"

#include <filesystem>
#include <functional>
#include <map>

struct ca_context;

namespace kestrel {

// The desktop's event sounds through libcanberra (PulseAudio, PipeWire or
// ALSA underneath): a registered file plays asynchronously, never blocking
// the caller. Without a sound system nothing plays and the cause is logged
// once. Vibration goes to the vibrator given (feedbackd), else nowhere.
class CanberraSounds final : public SystemSounds {
public:
    // `driver` names libcanberra's backend ("pulse", "alsa"); none lets it choose.
    explicit CanberraSounds(const char* driver = nullptr);
    ~CanberraSounds() override;
    CanberraSounds(const CanberraSounds&) = delete;
    CanberraSounds& operator=(const CanberraSounds&) = delete;

    SoundId registerSound(const std::filesystem::path& file) override;
    void play(SoundId sound) override;
    void dispose(SoundId sound) override;
    void vibrate() override {
        if (vibrator_) vibrator_();
    }
    // What drives the vibration, where the device has a motor.
    void setVibrator(std::function<void()> vibrator) { vibrator_ = std::move(vibrator); }

    // Whether a sound system took the context.
    bool available() const { return context_ != nullptr; }

private:
    ca_context* context_ = nullptr;
    std::map<SoundId, std::filesystem::path> sounds_;
    SoundId next_ = 1;
    bool complained_ = false;
    std::function<void()> vibrator_;
};

}  // namespace kestrel
