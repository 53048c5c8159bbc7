#include "adapters/linux/CanberraSounds.h"

#include "core/platform/Log.h"

#include <canberra.h>

#include <system_error>

namespace kestrel {

CanberraSounds::CanberraSounds(const char* driver) {
    if (const int status = ca_context_create(&context_); status != CA_SUCCESS) {
        Log::warning(std::string("sounds: no sound system: ") + ca_strerror(status));
        context_ = nullptr;
        return;
    }
    if (driver) ca_context_set_driver(context_, driver);
    ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Kestrel", CA_PROP_APPLICATION_ID,
                            "org.kestrelcamera.Kestrel", nullptr);
}

CanberraSounds::~CanberraSounds() {
    if (context_) ca_context_destroy(context_);
}

SystemSounds::SoundId CanberraSounds::registerSound(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        Log::warning("sounds: no sound file at " + file.string());
        return 0;
    }
    const SoundId id = next_++;
    sounds_[id] = file;
    return id;
}

void CanberraSounds::play(SoundId sound) {
    const auto found = sounds_.find(sound);
    if (found == sounds_.end() || !context_) return;
    // Asynchronous: the sound system plays it on its own thread.
    const int status = ca_context_play(context_, 0, CA_PROP_MEDIA_FILENAME, found->second.c_str(),
                                       CA_PROP_EVENT_DESCRIPTION, "Count-down", nullptr);
    if (status != CA_SUCCESS && !complained_) {
        complained_ = true;
        Log::warning(std::string("sounds: cannot play ") + found->second.string() + ": " +
                     ca_strerror(status));
    }
}

void CanberraSounds::dispose(SoundId sound) { sounds_.erase(sound); }

}  // namespace kestrel
